// A link with a fixed one-way delay between two network namespaces, for the
// long-link benchmark (bench/long_link_vs_curl.sh) on kernels without netem:
// every IP packet read from the TUN device of one namespace is written to
// the TUN device of the other DELAY_MS later, in order, both ways.
//
// The script makes the namespaces and the devices (ip tuntap add ... mode
// tun) and removes them; this program only attaches to them, and runs until
// it is killed.
//
// Usage: ferrix_delay_line NAMESPACE_A DEVICE_A NAMESPACE_B DEVICE_B DELAY_MS
#include <fcntl.h>
#include <linux/if_tun.h>
#include <net/if.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kLargestPacket = 65536;

// Opens the TUN device `device` of the network namespace `space`.
int openDevice(const std::string& space, const std::string& device) {
  const int spaceFile = open(("/var/run/netns/" + space).c_str(), O_RDONLY | O_CLOEXEC);
  if (spaceFile < 0 || setns(spaceFile, CLONE_NEWNET) != 0) return -1;
  close(spaceFile);
  const int tun = open("/dev/net/tun", O_RDWR | O_CLOEXEC | O_NONBLOCK);
  if (tun < 0) return -1;
  ifreq request{};
  request.ifr_flags = IFF_TUN | IFF_NO_PI;
  std::strncpy(request.ifr_name, device.c_str(), IFNAMSIZ - 1);
  if (ioctl(tun, TUNSETIFF, &request) != 0) return -1;
  return tun;
}

struct Packet {
  Clock::time_point due;
  std::vector<char> bytes;
};

// One direction of the link: packets read from `from`, held, written to `to`.
struct Direction {
  int from;
  int to;
  std::deque<Packet> held;

  void readAll(Clock::duration delay) {
    char buffer[kLargestPacket];
    for (;;) {
      const ssize_t length = read(from, buffer, sizeof buffer);
      if (length <= 0) return;
      held.push_back({Clock::now() + delay, std::vector<char>(buffer, buffer + length)});
    }
  }

  void writeDue() {
    const Clock::time_point now = Clock::now();
    while (!held.empty() && held.front().due <= now) {
      // A full device drops the packet, as a real link would; TCP resends.
      (void)!write(to, held.front().bytes.data(), held.front().bytes.size());
      held.pop_front();
    }
  }

  // Milliseconds until the next packet is due, -1 when none is held.
  int wait() const {
    if (held.empty()) return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(held.front().due - Clock::now());
    return static_cast<int>(std::max<long>(left.count(), 0));
  }
};

int earlier(int a, int b) {
  if (a < 0) return b;
  if (b < 0) return a;
  return std::min(a, b);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s NAMESPACE_A DEVICE_A NAMESPACE_B DEVICE_B DELAY_MS\n", argv[0]);
    return 2;
  }
  const int a = openDevice(argv[1], argv[2]);
  const int b = openDevice(argv[3], argv[4]);
  if (a < 0 || b < 0) {
    std::perror("cannot attach to the TUN devices");
    return 1;
  }
  const Clock::duration delay = std::chrono::milliseconds(std::atoi(argv[5]));
  Direction there{a, b, {}};
  Direction back{b, a, {}};
  for (;;) {
    pollfd devices[2] = {{a, POLLIN, 0}, {b, POLLIN, 0}};
    poll(devices, 2, earlier(there.wait(), back.wait()));
    if (devices[0].revents & POLLIN) there.readAll(delay);
    if (devices[1].revents & POLLIN) back.readAll(delay);
    there.writeDue();
    back.writeDue();
  }
}
