#include "resources/strings.h"

#include <algorithm>
#include <iterator>

namespace ferrix::resources {
namespace {

struct StringResource {
  int id;
  std::string_view text;
};

// Sorted by id.
constexpr StringResource kStrings[] = {
    {1, "Blocking call cancelled"},
    {2, "app version not supported by DLL"},
    {3, "no file descriptors available"},
    {4, "socket marked as non-blocking and SO_LINGER set not 0"},
    {5, "Blocking operation in progress"},
    {6, "descriptor is not a socket"},
    {7, "protocol wrong type for this socket"},
    {8, "specified protocol not supported"},
    {9, "socket type not for address family"},
    {10, "address family not supported"},
    {11, "address already in use"},
    {12, "address not available"},
    {13, "Network subsystem failed"},
    {14, "connection aborted"},
    {15, "connection reset"},
    {16, "no buffer space available"},
    {17, "not connected"},
    {18, "connection timed out"},
    {19, "connection refused"},
    {20, "host down"},
    {21, "host unreachable"},
    {22, "No WinSock present"},
    {23, "Winsock version not supported"},
    {24, "WSA Startup not initialized"},
    {25, "Host not found or server failure"},
    {26, "Non-recoverable: refused or not implemented"},
    {27, "Valid name, no data record for type"},
    {10123, "Do you want to move %u items to %s?"},
    {14003, "Accept error"},
    {14013, "cancelled"},
    {14016, "Command in progress, ignored"},
    {14023, "Busy!! File(s) ignored."},
    {14024, "got a drop with no files!"},
    {14025, "Not connected. File(s) ignored."},
    {14026, "Received drop request outside of list boxes!"},
    {14051, "! Error rewriting file %s from %s"},
    {14053, "Enter local file name for %s:"},
    {14055, "Programs|*.exe;*.pif;*.com;*.bat|All Files (*.*)|*.*|||"},
    {14056, "Sound Files (*.wav)|*.wav|All Files (*.*)|*.*|||"},
    {14074, "Failed to create or change folder:"},
    {14075, "Failed change to new local folder:"},
    {14076, "Failed to open file"},
    {14080, "File error on WRITE! Transfer cancelled."},
    {14082, "Enter local file name to transfer to remote site:"},
    {14083, "Enter remote file name for %s:"},
    {14084, "Enter remote file name to transfer to local system:"},
    {14100, "Host type"},
    {14175, "Message Log"},
    {14176, "! Move of %s to %s failed."},
    {14177, "Moved %s to %s"},
    {14178, "+ newer or same version of %s already exists!"},
    {14179, "Newer version of %s exists in the destination folder.\nCopy the file anyway?"},
    {14180, "+ Newer version of %s already exists!"},
    {14181, "Failed to open the local file. Did you delete it?"},
    {14182, "not accepted"},
    {14183, "Not connected, ignored"},
    {14203, "Enter command line:"},
    {14210, "Enter name for log file:"},
    {14252, "Do you want to attempt to resume the transfer of:\n  "},
    {14253, "Do you want to transfer the selected folders and their contents?"},
    {14255, "Received"},
    {14256, "Receive error"},
    {14257, "receiving %s as %s (%u of %u)"},
    {14260, "+ Cannot restart at requested location, starting over."},
    {14261, "Reget failed"},
    {14262,
     "The file could not be opened and may be locked by another process.\nYou should reboot your system and try again."},
    {14263, "Failed to set file pointer.\nExit, reboot system and try again."},
    {14264, "In that case, you need to attempt to retrieve the file again."},
    {14265, "Remote Sort Options"},
    {14266, "Same version of %s exists in the destination folder.\nCopy the file anyway?"},
    {14267, "+ Same verison of %s already exists!"},
    {14268, "Saving restart info for %s - %s"},
    {14269, "Local Sort Options"},
    {14270, "Send error"},
    {14271, "Sending ASCII file %s"},
    {14272, "Sending BINARY file %s"},
    {14273, "sending %s as %s (%u of %u)"},
    {14274, "Session"},
    {14300, "Timer cancelled blocking call"},
    {14301, "Error occured during transfer"},
    {14302, "transfer failed"},
    {14304, "transfer succeeded"},
    {14305, "Transmitted"},
    {14401, "Advanced"},
    {14402, "Associations"},
    {14403, "Convert"},
    {14404, "Display"},
    {14405, "Extensions"},
    {14406, "Firewall"},
    {14407, "General"},
    {14409, "Session"},
    {14410, "Session (cont'd)"},
    {14411, "Sort"},
    {14412, "Sounds"},
    {14413, "Startup"},
    {16001, "[S] transfer folder complete"},
    {16002, "[E] failed to return to original remote folder: %s"},
    {16003, "[E] failed to return to original local folder: %s"},
    {16004, "[E] failed to change to selected remote folder: %s"},
};

static_assert(std::is_sorted(std::begin(kStrings), std::end(kStrings),
                             [](const StringResource& a, const StringResource& b) {
                               return a.id < b.id;
                             }));

}  // namespace

std::string_view loadString(int id) {
  const auto found = std::lower_bound(
      std::begin(kStrings), std::end(kStrings), id,
      [](const StringResource& resource, int wanted) { return resource.id < wanted; });
  if (found == std::end(kStrings) || found->id != id) return {};
  return found->text;
}

std::string_view loadString(int id, std::size_t maxLength) {
  return loadString(id).substr(0, maxLength);
}

}  // namespace ferrix::resources
