#pragma once
// A program folder and a configuration folder under one temporary folder, for
// tests that create a main window or a part of it.

#include <QTemporaryDir>
#include <string>

#include "platform/files.h"

namespace vexo::testing {

class ProgramFolders {
 public:
  ProgramFolders() {
    CreateDir(Home());
    CreateDir(Conf());
  }

  std::string Root() const { return dir_.path().toStdString(); }
  std::string Home() const { return Root() + "/home/"; }
  std::string Conf() const { return Root() + "/conf/"; }
  std::string Ini() const { return Home() + "vexo.ini"; }
  std::string Autostart() const { return Conf() + "autostart/vexo.desktop"; }
  std::string Block(long long n) const { return Home() + "Temp/" + std::to_string(n) + ".tmp"; }
  std::string Kix() const { return Home() + "kix"; }

 private:
  QTemporaryDir dir_;
};

}  // namespace vexo::testing
