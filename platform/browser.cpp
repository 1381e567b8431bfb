#include "platform/browser.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/bytes.h"

extern char** environ;

namespace vexo {

namespace {

std::vector<std::string> SplitAtBlanks(std::string_view s) {
  std::vector<std::string> words;
  std::string word;
  for (const char c : s) {
    if (c == ' ' || c == '\t') {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

// The full path of a program, looked up in $PATH; empty when not found.
std::string FindProgram(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return ::access(name.c_str(), X_OK) == 0 ? name : "";
  const char* path = std::getenv("PATH");
  const std::string dirs = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t from = 0;
  while (from <= dirs.size()) {
    std::size_t to = dirs.find(':', from);
    if (to == std::string::npos) to = dirs.size();
    const std::string dir = dirs.substr(from, to - from);
    const std::string full = (dir.empty() ? "." : dir) + "/" + name;
    if (::access(full.c_str(), X_OK) == 0) return full;
    from = to + 1;
  }
  return {};
}

}  // namespace

std::string BrowserAddress(std::string_view address) {
  if (!StartsWithNoCase(address, "http://") && !StartsWithNoCase(address, "https://")) return {};
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(address.size());
  for (const char ch : address) {
    const auto b = static_cast<unsigned char>(ch);
    if (b <= 0x20 || b >= 0x7F) {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0x0F];
    } else {
      out += ch;
    }
  }
  return out;
}

std::vector<std::string> BrowserCommand(std::string_view browser_env, const std::string& target) {
  const std::size_t colon = browser_env.find(':');
  std::vector<std::string> argv = SplitAtBlanks(browser_env.substr(0, colon));
  if (argv.empty()) return {"xdg-open", target};
  bool placed = false;
  for (std::size_t i = 1; i < argv.size(); ++i) {
    if (argv[i] == "%s") {
      argv[i] = target;
      placed = true;
    }
  }
  if (!placed) argv.push_back(target);
  return argv;
}

bool StartDetached(const std::vector<std::string>& argv) {
  if (argv.empty()) return false;
  for (const std::string& a : argv) {
    if (a.find('\0') != std::string::npos) return false;
  }
  const std::string program = FindProgram(argv[0]);
  if (program.empty()) return false;
  // Everything the children need is prepared here: between fork and exec only
  // async-signal-safe calls are made.
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  // The grandchild writes errno here when exec fails; a successful exec closes it.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return false;
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(report[0]);
    ::close(report[1]);
    return false;
  }
  if (child == 0) {
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild != 0) ::_exit(grandchild < 0 ? 1 : 0);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction dfl = {};
    dfl.sa_handler = SIG_DFL;
    ::sigaction(SIGPIPE, &dfl, nullptr);
    const int null_in = ::open("/dev/null", O_RDONLY);
    if (null_in >= 0) ::dup2(null_in, 0);
    ::execve(program.c_str(), args.data(), environ);
    const int err = errno;
    (void)!::write(report[1], &err, sizeof err);
    ::_exit(127);
  }
  ::close(report[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int err = 0;
  ssize_t n;
  do {
    n = ::read(report[0], &err, sizeof err);
  } while (n < 0 && errno == EINTR);
  ::close(report[0]);
  return n == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool BrowserLauncher::OpenAddress(std::string_view address) {
  const std::string target = BrowserAddress(address);
  if (target.empty()) return false;
  return Start(target);
}

bool BrowserLauncher::OpenFile(const std::string& path) {
  if (path.empty() || path.front() != '/') return false;
  for (const char c : path) {
    if (static_cast<unsigned char>(c) < 0x20) return false;
  }
  return Start(path);
}

bool SystemBrowser::Start(const std::string& target) {
  if (target.empty() || target.front() == '-') return false;
  const char* env = std::getenv("BROWSER");
  return StartDetached(BrowserCommand(env ? env : "", target));
}

bool RecordingBrowser::Start(const std::string& target) {
  if (target.empty() || target.front() == '-') return false;
  opened.push_back(target);
  return !fail;
}

}  // namespace vexo
