#include "virtual_serial_client.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <sstream>

namespace qv::testing {

namespace {

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string Unhex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

}  // namespace

bool VirtualSerial::Available() { return std::getenv("QV_VIRTUAL_SERIAL") != nullptr; }

std::vector<std::string> VirtualSerial::Ports() {
  std::vector<std::string> ports;
  const char* list = std::getenv("QV_VIRTUAL_SERIAL");
  std::stringstream in(list ? list : "");
  for (std::string name; std::getline(in, name, ',');)
    if (!name.empty()) ports.push_back(name);
  return ports;
}

std::u16string VirtualSerial::DeviceName(const std::string& port) {
  const bool short_form = port.size() == 4 && port[3] >= '1' && port[3] <= '9';
  std::u16string name = short_form ? u"" : u"\\\\.\\";
  for (char c : port) name += static_cast<char16_t>(c);
  return name;
}

std::string VirtualSerial::Request(const std::string& command) {
  // One request at a time: the replies come back in order on one stream.
  static std::mutex one_at_a_time;
  std::lock_guard lock(one_at_a_time);
  std::printf("@@vs %s\n", command.c_str());
  std::fflush(stdout);
  std::string reply;
  char chunk[4096];
  while (std::fgets(chunk, sizeof chunk, stdin)) {
    reply += chunk;
    if (!reply.empty() && reply.back() == '\n') break;
  }
  while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r')) reply.pop_back();
  if (reply.rfind("ok", 0) != 0) {
    ADD_FAILURE() << "virtual serial: " << command.substr(0, 40) << " -> " << reply;
    return "";
  }
  return reply.size() > 3 ? reply.substr(3) : "";
}

void VirtualSerial::Feed(const std::string& port, const std::string& bytes) {
  Request("feed " + port + " " + Hex(bytes));
}

void VirtualSerial::FeedPaced(const std::string& port, uint32_t baud, const std::string& bytes) {
  Request("pace " + port + " " + std::to_string(baud) + " " + Hex(bytes));
}

std::string VirtualSerial::Read(const std::string& port, size_t count, uint32_t timeout_ms) {
  return Unhex(Request("read " + port + " " + std::to_string(count) + " " + std::to_string(timeout_ms)));
}

int VirtualSerial::Waiting(const std::string& port) {
  std::string r = Request("inq " + port);
  return r.empty() ? -1 : std::stoi(r);
}

std::vector<long> VirtualSerial::Settings(const std::string& port) {
  std::vector<long> values;
  std::stringstream in(Request("termios " + port));
  for (long v; in >> v;) values.push_back(v);
  return values;
}

void VirtualSerial::Flush(const std::string& port) { Request("flush " + port); }
void VirtualSerial::HangUp(const std::string& port) { Request("hangup " + port); }

}  // namespace qv::testing
