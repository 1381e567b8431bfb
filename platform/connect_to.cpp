#include "platform/connect_to.h"

#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/bytes.h"

namespace vexo {
namespace {

struct Entry {
  std::string host;
  int port = 0;  // 0: keep the port asked for
};
using Map = std::map<std::string, Entry>;

// One "host=addr[:port]" entry; false when it is malformed.
bool ParseEntry(std::string_view item, std::string& key, Entry& entry) {
  const Pos eq = PosOf("=", item);
  if (eq == 0) return false;
  key = Lower(Trim(Copy(item, 1, eq - 1)));
  const Bytes target = Trim(CopyFrom(item, eq + 1));
  if (key.empty() || target.empty()) return false;
  if (const Pos key_colon = LastPosOf(":", key)) {
    // "host:port" applies to that port only; kept as the name and the number.
    long long port = 0;
    const Bytes name = Copy(key, 1, key_colon - 1);
    if (name.empty() || !TryTextToInt(CopyFrom(key, key_colon + 1), port) || port < 1 ||
        port > 65535)
      return false;
    key = name + ":" + IntToText(port);
  }
  const Pos colon = LastPosOf(":", target);
  entry.host = colon ? Copy(target, 1, colon - 1) : target;
  entry.port = 0;
  if (colon) {
    long long port = 0;
    if (!TryTextToInt(CopyFrom(target, colon + 1), port) || port < 1 || port > 65535) return false;
    entry.port = static_cast<int>(port);
  }
  return !entry.host.empty();
}

Map ParseMap(std::string_view text) {
  Map map;
  Pos from = 1;
  while (from <= Len(text)) {
    Pos comma = PosOf(",", text, from);
    if (comma == 0) comma = Len(text) + 1;
    std::string key;
    Entry entry;
    if (ParseEntry(CopyRange(text, from, comma - 1), key, entry)) map[key] = entry;
    from = comma + 1;
  }
  return map;
}

struct Maps {
  std::mutex mutex;
  Map config;
  Map env;
};

Maps& TheMaps() {
  static Maps* maps = [] {
    auto* m = new Maps;
    if (const char* env = std::getenv("VEXO_CONNECT_TO")) m->env = ParseMap(env);
    return m;
  }();
  return *maps;
}

const Entry* Find(const Map& map, const std::string& key) {
  const auto it = map.find(key);
  return it == map.end() ? nullptr : &it->second;
}

}  // namespace

void ReadConnectToEnvironment() {
  const char* env = std::getenv("VEXO_CONNECT_TO");
  Map parsed = env ? ParseMap(env) : Map{};
  Maps& maps = TheMaps();
  std::lock_guard lock(maps.mutex);
  maps.env = std::move(parsed);
}

void SetConnectToMap(std::string_view text) {
  Map parsed = ParseMap(text);
  Maps& maps = TheMaps();
  std::lock_guard lock(maps.mutex);
  maps.config = std::move(parsed);
}

ConnectTarget Resolve(std::string_view host, int port) {
  Maps& maps = TheMaps();
  std::lock_guard lock(maps.mutex);
  const std::string key = Lower(host);
  const std::string port_text = ":" + IntToText(port);
  // The more specific entry wins, then the environment's over the configuration's.
  const Entry* e = nullptr;
  for (const std::string& k : {key + port_text, key, "*" + port_text, std::string("*")}) {
    e = Find(maps.env, k);
    if (!e) e = Find(maps.config, k);
    if (e) break;
  }
  if (!e) return {std::string(host), port};
  return {e->host, e->port ? e->port : port};
}

}  // namespace vexo
