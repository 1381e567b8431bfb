#pragma once
// vexo-cli sources: the sources in effect, and the addresses a whole pass
// would ask for given keywords.

#include <iosfwd>
#include <string>
#include <vector>

namespace vexo {

int RunSourcesCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vexo
