// "Test": the connection probe. Clients send ExecuteTest=Mirror and Server=OK and take a non-empty "Server"
// in the reply as proof that the gateway answers, so every attribute goes back as it came, in order.
#include "handlers/Handlers.h"

namespace zelgw {

void HandleTest(const Request& request, Store&, Reply& reply) {
  for (const RequestAttribute& attribute : request.attributes) {
    reply.AddAttribute(attribute.name, attribute.value, attribute.items);
  }
}

}  // namespace zelgw
