// CATPLMSeed [--replace] FILE: writes the demo PLM database to FILE.
#include <cstring>
#include <iostream>

#include "CATError.h"
#include "CATPLMSeed.h"

int main(int argc, char** argv) {
  bool replace = argc == 3 && std::strcmp(argv[1], "--replace") == 0;
  if (argc != (replace ? 3 : 2) || argv[argc - 1][0] == '-') {
    std::cerr << "usage: CATPLMSeed [--replace] FILE\n";
    return 2;
  }
  if (SUCCEEDED(CATPLMSeed::CreateDemoDatabase(argv[argc - 1], replace ? TRUE : FALSE))) return 0;
  CATError* error = CATError::CATGetLastError(E_FAIL);
  std::cerr << "CATPLMSeed: " << (error ? error->GetNLSMessage() : CATUnicodeString("failed")) << "\n";
  if (error) error->Release();
  return 1;
}
