#include "CATEventLoopInputs.h"

#include <poll.h>

#include <algorithm>
#include <vector>

namespace {

struct Input {
  unsigned long id;
  int fd;
  CATInputCallback callback;
  void* data;
};

std::vector<Input>& Inputs() {
  static auto* inputs = new std::vector<Input>;
  return *inputs;
}

unsigned long s_lastInput = 0;
bool s_dispatching = false;

}  // namespace

unsigned long CATAddInput(int fd, CATInputCallback callback, void* data) {
  if (fd < 0 || !callback) return 0;
  Inputs().push_back(Input{++s_lastInput, fd, callback, data});
  return s_lastInput;
}

void CATRemoveInput(unsigned long input) {
  auto& inputs = Inputs();
  inputs.erase(
      std::remove_if(inputs.begin(), inputs.end(), [input](const Input& i) { return i.id == input; }),
      inputs.end());
}

int CATCountInputs() {
  return static_cast<int>(Inputs().size());
}

int CATDispatchInputs(int timeoutMs) {
  if (s_dispatching) return 0;
  std::vector<Input> snapshot = Inputs();
  std::vector<pollfd> fds;
  for (const Input& input : snapshot) fds.push_back(pollfd{input.fd, POLLIN, 0});
  int ready = poll(fds.data(), fds.size(), std::max(timeoutMs, 0));
  if (ready <= 0) return 0;
  struct Guard {
    Guard() { s_dispatching = true; }
    ~Guard() { s_dispatching = false; }
  } guard;
  int ran = 0;
  for (size_t i = 0; i < fds.size(); ++i) {
    if (!fds[i].revents) continue;
    // A callback may have removed a later input (and its descriptor may have been reused since).
    auto& inputs = Inputs();
    bool live =
        std::any_of(inputs.begin(), inputs.end(), [&](const Input& in) { return in.id == snapshot[i].id; });
    if (!live) continue;
    snapshot[i].callback(snapshot[i].fd, snapshot[i].data);
    ++ran;
  }
  return ran;
}
