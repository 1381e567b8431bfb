#pragma once
// Records what an HttpClient reports, as short event names in arrival order.

#include <string>
#include <vector>

#include "fetch/http_client.h"

namespace vexo::testing {

inline const char* StateName(HttpClientState s) {
  switch (s) {
    case HttpClientState::Idle:
      return "Idle";
    case HttpClientState::Starting:
      return "Starting";
    case HttpClientState::Connected:
      return "Connected";
    case HttpClientState::Resolving:
      return "Resolving";
    case HttpClientState::Resolved:
      return "Resolved";
    case HttpClientState::ReadingHeader:
      return "ReadingHeader";
    case HttpClientState::ReadingBody:
      return "ReadingBody";
    case HttpClientState::Cancelling:
      return "Cancelling";
  }
  return "?";
}

struct ClientRecorder {
  std::vector<std::string> events;
  std::vector<std::string> pieces;
  std::string body;
  int done = 0;
  int done_error = -1;
  RequestType done_type = RequestType::None;
  bool pieces_zero_terminated = true;

  // Attaches every event; the handlers capture this recorder by reference.
  void Attach(HttpClient& c) {
    c.OnStateChange = [this](HttpClient& s) {
      events.push_back(std::string("State:") + StateName(s.State()));
    };
    c.OnSessionConnected = [this](HttpClient&) { events.push_back("SessionConnected"); };
    c.OnRequestHeaderBegin = [this](HttpClient&) { events.push_back("RequestHeaderBegin"); };
    c.OnRequestHeaderEnd = [this](HttpClient&) { events.push_back("RequestHeaderEnd"); };
    c.OnCommand = [this](HttpClient&, Bytes& line) { events.push_back("Command:" + line); };
    c.OnHeaderBegin = [this](HttpClient&) { events.push_back("HeaderBegin"); };
    c.OnHeaderData = [this](HttpClient&) { events.push_back("HeaderData"); };
    c.OnHeaderEnd = [this](HttpClient&) { events.push_back("HeaderEnd"); };
    c.OnDocBegin = [this](HttpClient&) { events.push_back("DocBegin"); };
    c.OnDocEnd = [this](HttpClient&) { events.push_back("DocEnd"); };
    c.OnLocationChange = [this](HttpClient&) { events.push_back("LocationChange"); };
    c.OnDocData = [this](HttpClient&, const char* buffer, int len) {
      events.push_back("DocData");
      pieces.emplace_back(buffer, static_cast<std::size_t>(len));
      body.append(buffer, static_cast<std::size_t>(len));
      if (buffer[len] != '\0') pieces_zero_terminated = false;
    };
    c.OnRequestDone = [this](HttpClient&, RequestType type, int error) {
      events.push_back("Done");
      ++done;
      done_error = error;
      done_type = type;
    };
  }

  int Count(const std::string& name) const {
    int n = 0;
    for (const auto& e : events) n += e == name;
    return n;
  }
};

}  // namespace vexo::testing
