#include <dlfcn.h>

#include <cstdlib>
#include <string>
#include <thread>

namespace forms {

namespace {

// Until the first window is made, nothing needs the configuration, and Qt
// takes it as read when it first asks for a face. The reader calls the
// fontconfig that Qt itself loaded, found among the libraries already in
// the process; a Qt without fontconfig leaves nothing to read ahead. A
// copy that ends before its first window waits for the reader on the way
// out.
class ConfigurationReader {
 public:
  ConfigurationReader() = default;
  ConfigurationReader(const ConfigurationReader&) = delete;
  ConfigurationReader& operator=(const ConfigurationReader&) = delete;
  ~ConfigurationReader() { Wait(); }

  void Start() {
    using Init = int (*)();
    const auto init = reinterpret_cast<Init>(dlsym(RTLD_DEFAULT, "FcInit"));
    if (init != nullptr && !reader_.joinable()) reader_ = std::thread(init);
  }
  void Wait() {
    if (reader_.joinable()) reader_.join();
  }

 private:
  std::thread reader_;
};

ConfigurationReader reader;

}  // namespace

void PrepareFonts() {
  // Qt's X11 platform takes the launcher's startup id out of the environment
  // as it connects, while the reader looks up variables of its own (HOME,
  // XDG_CONFIG_HOME...). Removing an entry moves the ones after it, and a
  // lookup under way could pass over one; as the last entry, the id moves
  // none.
  if (const char* id = std::getenv("DESKTOP_STARTUP_ID")) {
    const std::string kept = id;
    unsetenv("DESKTOP_STARTUP_ID");
    setenv("DESKTOP_STARTUP_ID", kept.c_str(), 1);
  }
  reader.Start();
}

void WaitForFonts() {
  reader.Wait();
}

// The system's font configuration has them (fonts-dejavu-core and -extra).
void ProvideFonts() {}

}  // namespace forms
