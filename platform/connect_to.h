#pragma once
// The connect-to map: sends connections for a host name to another address and
// port without changing the address fetched, its Host header or anything a
// parser sees. Written as "host=addr:port,*=addr:port"; "*" stands for every
// host without an entry of its own, ":port" may be left out to keep the port.
// A key "host:port" (also "*:port") applies to that port only; the most
// specific key wins: host:port, host, *:port, *.
// Entries come from the configuration (SetConnectToMap) and from the environment
// variable VEXO_CONNECT_TO, whose entries win over the configuration's.

#include <string>
#include <string_view>

namespace vexo {

struct ConnectTarget {
  std::string host;  // name or dotted address to connect to
  int port = 80;
};

// Replaces the map taken from the configuration. Malformed entries are skipped.
void SetConnectToMap(std::string_view text);

// Reads VEXO_CONNECT_TO again (it is read once on first use otherwise).
void ReadConnectToEnvironment();

// Where a connection for host:port goes; host and port themselves when no
// entry applies. Host names compare without regard to ASCII case.
ConnectTarget Resolve(std::string_view host, int port);

}  // namespace vexo
