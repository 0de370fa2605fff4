#include <fontconfig/fontconfig.h>

#include <thread>

namespace forms {

namespace {

// Until the first window is made, nothing needs the configuration, and Qt
// takes it as read when it first asks for a face. A copy that ends before
// its first window waits for the reader on the way out.
class ConfigurationReader {
 public:
  ConfigurationReader() = default;
  ConfigurationReader(const ConfigurationReader&) = delete;
  ConfigurationReader& operator=(const ConfigurationReader&) = delete;
  ~ConfigurationReader() { Wait(); }

  void Start() {
    if (!reader_.joinable()) reader_ = std::thread([] { FcInit(); });
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
  reader.Start();
}

void WaitForFonts() {
  reader.Wait();
}

// The system's font configuration has them (fonts-dejavu-core and -extra).
void ProvideFonts() {}

}  // namespace forms
