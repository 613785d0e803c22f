// The test program's side of tools/virtual_serial.py: commands go out on standard output as
// "@@vs ..." lines and each is answered with one line on standard input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv::testing {

class VirtualSerial {
 public:
  // Whether the program runs under the tool (it names its ports in QV_VIRTUAL_SERIAL).
  static bool Available();
  // The COM names the tool created, as given to it ("COM8").
  static std::vector<std::string> Ports();
  // The name to open: COM1..COM9 as they are, higher numbers in the device-namespace form.
  static std::u16string DeviceName(const std::string& port);

  // The reply's text after "ok"; an "err" reply fails the calling test and gives "".
  static std::string Request(const std::string& command);

  static void Feed(const std::string& port, const std::string& bytes);
  // Feeds in the background at the pace of a line at `baud`.
  static void FeedPaced(const std::string& port, uint32_t baud, const std::string& bytes);
  static std::string Read(const std::string& port, size_t count, uint32_t timeout_ms);
  static int Waiting(const std::string& port);
  static std::vector<long> Settings(const std::string& port);  // ispeed ospeed bits parenb cstopb
  static void Flush(const std::string& port);
  static void HangUp(const std::string& port);
};

}  // namespace qv::testing
