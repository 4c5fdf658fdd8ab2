// The program's string table: every user-visible text that has a resource
// number, looked up by that number. Texts keep their printf notation.
// Thread rule: constant data, safe from any thread.
#pragma once

#include <cstddef>
#include <string_view>

namespace ferrix::resources {

// Resource numbers used by name in the code.
namespace string_id {
inline constexpr int kFirstSocketErrorText = 1;  // 1..27, see socket error table
inline constexpr int kMoveItemsQuestion = 10123;
inline constexpr int kAcceptError = 14003;
inline constexpr int kCancelled = 14013;
inline constexpr int kCommandInProgress = 14016;
inline constexpr int kBusyFilesIgnored = 14023;
inline constexpr int kDropWithoutFiles = 14024;
inline constexpr int kNotConnectedFilesIgnored = 14025;
inline constexpr int kDropOutsidePanes = 14026;
inline constexpr int kErrorRewritingFile = 14051;
inline constexpr int kEnterLocalFileName = 14053;
inline constexpr int kProgramsFilter = 14055;
inline constexpr int kSoundFilesFilter = 14056;
inline constexpr int kCannotMakeLocalFolder = 14074;
inline constexpr int kCannotEnterLocalFolder = 14075;
inline constexpr int kFailedToOpenFile = 14076;
inline constexpr int kFileWriteError = 14080;
inline constexpr int kEnterLocalFileToSend = 14082;
inline constexpr int kEnterRemoteFileName = 14083;
inline constexpr int kEnterRemoteFileToReceive = 14084;
inline constexpr int kHostTypeLabel = 14100;
inline constexpr int kMessageLogCaption = 14175;
inline constexpr int kMoveFailed = 14176;
inline constexpr int kMoved = 14177;
inline constexpr int kNewerOrSameExists = 14178;
inline constexpr int kNewerVersionQuestion = 14179;
inline constexpr int kNewerVersionExists = 14180;
inline constexpr int kLocalFileMissingQuestion = 14181;
inline constexpr int kNotAccepted = 14182;
inline constexpr int kNotConnected = 14183;
inline constexpr int kEnterCommandLine = 14203;
inline constexpr int kEnterLogFileName = 14210;
inline constexpr int kResumeQuestion = 14252;
inline constexpr int kTransferFoldersQuestion = 14253;
inline constexpr int kReceived = 14255;
inline constexpr int kReceiveError = 14256;
inline constexpr int kReceivingAs = 14257;
inline constexpr int kCannotRestart = 14260;
inline constexpr int kRegetFailed = 14261;
inline constexpr int kLocalFileLocked = 14262;
inline constexpr int kSeekFailed = 14263;
inline constexpr int kRetrieveAgain = 14264;
inline constexpr int kRemoteSortCaption = 14265;
inline constexpr int kSameVersionQuestion = 14266;
inline constexpr int kSameVersionExists = 14267;
inline constexpr int kSavingRestartInfo = 14268;
inline constexpr int kLocalSortCaption = 14269;
inline constexpr int kSendError = 14270;
inline constexpr int kSendingAsciiFile = 14271;
inline constexpr int kSendingBinaryFile = 14272;
inline constexpr int kSendingAs = 14273;
inline constexpr int kSiteDialogCaption = 14274;
inline constexpr int kErrorDuringTransfer = 14301;
inline constexpr int kTransferFailed = 14302;
inline constexpr int kTransferSucceeded = 14304;
inline constexpr int kTransmitted = 14305;
inline constexpr int kAdvancedPageTitle = 14401;
inline constexpr int kAssociationsPageTitle = 14402;
inline constexpr int kConvertPageTitle = 14403;
inline constexpr int kDisplayPageTitle = 14404;
inline constexpr int kExtensionsPageTitle = 14405;
inline constexpr int kFirewallPageTitle = 14406;
inline constexpr int kGeneralPageTitle = 14407;
inline constexpr int kSessionPageTitle = 14409;
inline constexpr int kSessionMorePageTitle = 14410;
inline constexpr int kSortPageTitle = 14411;
inline constexpr int kSoundsPageTitle = 14412;
inline constexpr int kStartupPageTitle = 14413;
inline constexpr int kFolderTransferComplete = 16001;
inline constexpr int kCannotReturnToRemoteFolder = 16002;
inline constexpr int kCannotReturnToLocalFolder = 16003;
inline constexpr int kCannotEnterRemoteFolder = 16004;
}  // namespace string_id

// The text of resource `id`; empty when there is none.
std::string_view loadString(int id);

// The text of resource `id` cut to `maxLength` characters, as a fixed-size
// resource buffer would hold it.
std::string_view loadString(int id, std::size_t maxLength);

}  // namespace ferrix::resources
