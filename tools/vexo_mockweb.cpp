// vexo-mockweb: the tests' mock web as a program, for trying Vexo without the
// internet. Prints the connect-to map on its first line, then serves until
// killed. Usage: vexo-mockweb [DELAY_MS]
#include <QCoreApplication>
#include <cstdlib>
#include <iostream>

#include "tests/support/mock_web.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const long delay = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 0;
  vexo::testing::MockWeb web(delay > 0 && delay < 60000 ? static_cast<int>(delay) : 0);
  if (web.Port() == 0) {
    std::cerr << "vexo-mockweb: no port on 127.0.0.1\n";
    return 1;
  }
  std::cout << web.ConnectToMap() << std::endl;
  return QCoreApplication::exec();
}
