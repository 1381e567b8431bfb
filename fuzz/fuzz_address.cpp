// Address splitting and where a Location sends a request.
#include "fetch/http_address.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexo;
  fuzz::Input in(data, size);
  const std::string_view address = in.Text();
  const std::string_view location = in.Rest();

  const AddressParts parts = SplitAddress(address);
  // Every part but the scheme (an address without one reads as http) is cut
  // from the address.
  for (const Bytes* part : {&parts.user, &parts.password, &parts.host, &parts.port, &parts.path})
    VEXO_FUZZ_CHECK(part->size() <= address.size());

  RequestTarget target;
  target.host = parts.host;
  target.target_host = parts.host;
  target.port = parts.port.empty() ? Bytes("80") : parts.port;
  target.path = parts.path.empty() ? Bytes("/") : parts.path;
  target.location = Bytes(address);
  // Servers send hop after hop: each applies to what the last one left.
  for (int hop = 0; hop < 3; ++hop) ApplyLocation(target, location);
  return 0;
}
