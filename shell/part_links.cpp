// The window's answers to what its parts ask: the store, the page analysis
// and the viewer's part.
#include "shell/fvexo1.h"

namespace vexo {

// ---- The store ----

bool TMain::StoreLink::Tracking() const {
  return m_.trackingRun == 1;
}

const std::string& TMain::StoreLink::ProgramFolder() const {
  return m_.kl2.Caption();
}

void TMain::StoreLink::TargetAppended(long long number, std::string_view link,
                                      std::string_view title) {
  m_.viewer.ShowNewTarget(number, link, title);
  if (m_.services_.target_appended) m_.services_.target_appended(number, link, title);
}

void TMain::StoreLink::SaveFailed(const std::string& path) {
  m_.SaveFailed(path);
}

// ---- The page analysis ----

bool TMain::ParserLink::Tracking() const {
  return m_.trackingRun == 1;
}

const Bytes& TMain::ParserLink::Gjc3() const {
  return m_.gjc3.Caption();
}

void TMain::ParserLink::SetGjc3(const Bytes& text) {
  m_.gjc3.SetCaption(text);
}

ResultStore& TMain::ParserLink::Store() {
  return m_.store_;
}

void TMain::ParserLink::NewTargetStored(const Pthrd*) {
  m_.viewer.NewTargetStored();
}

int TMain::ParserLink::RunningParsers() const {
  return m_.runningParsers;
}

void TMain::ParserLink::SetRunningParsers(int count) {
  m_.runningParsers = count < 0 ? 0 : count;
}

// ---- The viewer's part ----

std::string TMain::ViewerLink::ProgramFolder() const {
  return m_.kl2.Caption();
}

Bytes TMain::ViewerLink::Gjc2() const {
  return m_.gjc2.Caption();
}

Bytes TMain::ViewerLink::Gjc3() const {
  return m_.gjc3.Caption();
}

void TMain::ViewerLink::SetKeywords(const Bytes& text) {
  m_.gjc.SetText(text);
}

void TMain::ViewerLink::AppMinimize() {
  m_.AppMinimize();
}

void TMain::ViewerLink::ResumeRunTimers() {
  m_.ResumeRunTimers();
}

void TMain::ViewerLink::SetAutorun(bool on) {
  m_.ARun.SetActive(on);
}

void TMain::ViewerLink::SaveFailed(const std::string& path) {
  m_.SaveFailed(path);
}

}  // namespace vexo
