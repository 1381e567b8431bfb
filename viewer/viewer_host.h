#pragma once
// What the viewer's part asks of the window it sits in: the program folder,
// the keywords, the window's minimising, the run's timers, the autorun entry
// and the report of a file it could not save. The main form answers it; tests
// use a small stand-in.

#include <string>

#include "platform/bytes.h"

namespace vexo {

class ViewerHost {
 public:
  virtual ~ViewerHost() = default;

  virtual std::string ProgramFolder() const = 0;  // `kl2`, ends with "/"
  virtual Bytes Gjc2() const = 0;                 // trimmed keywords of the last run
  virtual Bytes Gjc3() const = 0;                 // the keyword expression
  virtual void SetKeywords(const Bytes& text) = 0;
  virtual void AppMinimize() = 0;
  // A run whose timers were stopped gets them back.
  virtual void ResumeRunTimers() = 0;
  virtual void SetAutorun(bool on) = 0;
  virtual void SaveFailed(const std::string& path) = 0;
};

}  // namespace vexo
