#pragma once
// The window as the viewer's part sees it, for tests of the part alone: the
// program folder and the keywords are what the test sets, and every request
// of the part is recorded instead of carried out.

#include <string>
#include <utility>
#include <vector>

#include "viewer/viewer_host.h"

namespace vexo::testing {

class RecordingViewerHost : public ViewerHost {
 public:
  explicit RecordingViewerHost(std::string programFolder = {}) : folder(std::move(programFolder)) {}

  std::string folder;  // ends with "/"
  Bytes gjc2;
  Bytes gjc3;

  std::vector<Bytes> keywords;  // each SetKeywords, in order
  std::vector<bool> autorun;    // each SetAutorun, in order
  int minimised = 0;
  int timersResumed = 0;
  std::vector<std::string> saveFailures;

  std::string ProgramFolder() const override { return folder; }
  Bytes Gjc2() const override { return gjc2; }
  Bytes Gjc3() const override { return gjc3; }
  void SetKeywords(const Bytes& text) override { keywords.push_back(text); }
  void AppMinimize() override { ++minimised; }
  void ResumeRunTimers() override { ++timersResumed; }
  void SetAutorun(bool on) override { autorun.push_back(on); }
  void SaveFailed(const std::string& path) override { saveFailures.push_back(path); }
};

}  // namespace vexo::testing
