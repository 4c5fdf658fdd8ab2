// The host-type table and the detection of a server's host type from its
// SYST reply or its greeting. The table is constant; nothing is kept between
// calls.
#include <cstring>

#include "decoder/include/ferrixcore.h"
#include "decoder/parse_helpers.h"

namespace ferrix::decoder {
namespace {

// Row i names host type 6000 + i; shown to users exactly as written.
constexpr const char* kHostTypeNames[FERRIX_HOST_TYPE_COUNT] = {
    "Automatic detect",
    "Chameleon",
    "FTP PC/TCP",
    "IBM PC TCP/IP",
    "IBM VM",
    "KA9Q/NOS",
    "NCSA/CUTCP",
    "SI NT FTPD",
    "Super TCP",
    "Unisys 5000 (EXOS)",
    "UNIX (standard)",
    "VMS MultiNet",
    "VMS UCX",
    "QVT/Net 2/3",
    "MAC NCSA",
    "MAC Peter Server",
    "Microsoft NT",
    "IBM AS/400",
    "IBM MVS",
    "PDP11 RSX11M",
    "Sun Solaris",
    "OS/9",
    "Corvane",
    "BULL GCOS",
    "IBM MVS/KNET",
    "Amiga",
    "CDC Cyber",
    "IBM R1000",
    "BULL CP6",
    "IBM Spartacus KNET",
    "Tandem",
    "Stratus VOS",
    "HP/3000",
    "Serv-U",
    "WFTPD",
    "NetWare v4",
    "PCNFS-Pro",
    "TGV MultiNet",
    "FTP PC/TCP 3.0",
    "QVT/Net 4.0",
    "MAC VersaTerm",
    "HellSoft",
    "IBM OS2 WARP",
    "PRIMOS",
    "OS2200",
    "UniTree",
    "QNX2",
    "WarFTPD",
    "IBM OS2",
    "Music",
    "AOS/VS",
    "Passport 160",
    "GCOS 6 HVS OS",
    "Novell LWP",
    "Reflection",
    "AMOS TCP/IP",
    "Unisys A-Series",
    "VxWorks",
    "GCOS 6 HVS AIX",
    "MLSD",
};

// Detection reads at most this much of a server text.
constexpr std::size_t kDetectBufferSize = 1024;
constexpr std::size_t kWholeTextLimit = 1000;
constexpr std::size_t kCutTextLength = 999;

struct Probe {
  const char* text;
  int hostType;
};

// SYST replies, tested in this order on the text as received.
constexpr Probe kSystExactProbes[] = {
    {"215 MPE/iX", FERRIX_HOST_TYPE_HP3000},
    {" MUSIC/SP", FERRIX_HOST_TYPE_MUSIC},
    {"WAR-FTPD", FERRIX_HOST_TYPE_WARFTPD},
    {"RSX", FERRIX_HOST_TYPE_PDP11_RSX11M},
    {"UniTree", FERRIX_HOST_TYPE_UNITREE},
    {"NetWare v4", FERRIX_HOST_TYPE_NETWARE_V4},
    {" PRIMOS ", FERRIX_HOST_TYPE_PRIMOS},
    {"VersaTerm ", FERRIX_HOST_TYPE_MAC_VERSATERM},
    {"HellSoft", FERRIX_HOST_TYPE_HELLSOFT},
    {"Reflection FTP Server", FERRIX_HOST_TYPE_REFLECTION},
};

// SYST replies, then tested in this order on the lower-cased text. The VMS
// row is settled apart: it depends on a second text.
constexpr Probe kSystLowerProbesBeforeVms[] = {
    {"windows_nt", FERRIX_HOST_TYPE_MICROSOFT_NT},
    {" pc ", FERRIX_HOST_TYPE_CORVANE},
    {"macos peter", FERRIX_HOST_TYPE_MAC_PETER_SERVER},
    {"os/2 operating", FERRIX_HOST_TYPE_IBM_PC_TCP_IP},
    {"ultrix", FERRIX_HOST_TYPE_UNIX},
    {"unix", FERRIX_HOST_TYPE_UNIX},
    {"mvs", FERRIX_HOST_TYPE_IBM_MVS},
    {"qvt/net 4", FERRIX_HOST_TYPE_QVT_NET_4},
    {"qvt", FERRIX_HOST_TYPE_QVT_NET_2_3},
    {"ncsa", FERRIX_HOST_TYPE_NCSA_CUTCP},
    {"chameleon", FERRIX_HOST_TYPE_CHAMELEON},
    {"netmanage", FERRIX_HOST_TYPE_CHAMELEON},
    {"windows [multinet", FERRIX_HOST_TYPE_TGV_MULTINET},
};

constexpr Probe kSystLowerProbesAfterVms[] = {
    {"os/400", FERRIX_HOST_TYPE_IBM_AS400},
    {" mts sys", FERRIX_HOST_TYPE_IBM_PC_TCP_IP},
    {" vm ", FERRIX_HOST_TYPE_IBM_VM},
    {" vm/esa", FERRIX_HOST_TYPE_IBM_VM},
    {" vm/cms", FERRIX_HOST_TYPE_IBM_VM},
    {"vos", FERRIX_HOST_TYPE_STRATUS_VOS},
    {"m28", FERRIX_HOST_TYPE_STRATUS_VOS},
    {"tandem", FERRIX_HOST_TYPE_TANDEM},
    {"cyberb", FERRIX_HOST_TYPE_CDC_CYBER},
    {"dos ftp server 3.", FERRIX_HOST_TYPE_FTP_PC_TCP_3},
    {"amos", FERRIX_HOST_TYPE_AMOS_TCP_IP},
};

// Greetings and logon replies, in this order. Longer texts come before the
// shorter texts they contain ("Novell LAN WorkPlace Pro" before
// "Novell LAN W", "*GCOS 6 HVS*" before "GCOS").
constexpr Probe kGreetingProbes[] = {
    {" FERRIX Server 1", FERRIX_HOST_TYPE_MLSD},
    {"WAR-FTPD", FERRIX_HOST_TYPE_WARFTPD},
    {"(NEWT v7.0)", FERRIX_HOST_TYPE_CHAMELEON},
    {" MUSIC/SP", FERRIX_HOST_TYPE_MUSIC},
    {"Spartacus KNET", FERRIX_HOST_TYPE_IBM_SPARTACUS_KNET},
    {"- qnx -", FERRIX_HOST_TYPE_QNX2},
    {"DPS6000 ", FERRIX_HOST_TYPE_GCOS6_HVS_OS},
    {"*GCOS 6 HVS*", FERRIX_HOST_TYPE_GCOS6_HVS_AIX},
    {"(UniTree", FERRIX_HOST_TYPE_UNITREE},
    {"Novell LAN WorkPlace Pro", FERRIX_HOST_TYPE_NOVELL_LWP},
    {"NetWare v4", FERRIX_HOST_TYPE_NETWARE_V4},
    {"Serv-U FTP", FERRIX_HOST_TYPE_SERV_U},
    {" WFTPD ", FERRIX_HOST_TYPE_WFTPD},
    {"HellSoft", FERRIX_HOST_TYPE_HELLSOFT},
    {"Novell LAN W", FERRIX_HOST_TYPE_SUPER_TCP},
    {"(EXOS", FERRIX_HOST_TYPE_UNISYS_5000_EXOS},
    {"(XElink", FERRIX_HOST_TYPE_PRIMOS},
    {"VersaTerm ", FERRIX_HOST_TYPE_MAC_VERSATERM},
    {"AMOS TCP/IP V", FERRIX_HOST_TYPE_AMOS_TCP_IP},
    {"KNET/MVS", FERRIX_HOST_TYPE_IBM_MVS_KNET},
    {"RSX", FERRIX_HOST_TYPE_PDP11_RSX11M},
    {"N1BEE", FERRIX_HOST_TYPE_KA9Q_NOS},
    {"IBM OS/2 TCP/IP", FERRIX_HOST_TYPE_IBM_PC_TCP_IP},
    {" OS-9 ", FERRIX_HOST_TYPE_OS9},
    {"GCOS", FERRIX_HOST_TYPE_BULL_GCOS},
    {"BULL", FERRIX_HOST_TYPE_BULL_GCOS},
    {"Amiga ", FERRIX_HOST_TYPE_AMIGA},
    {"JNOS", FERRIX_HOST_TYPE_KA9Q_NOS},
    {"Rational FTP", FERRIX_HOST_TYPE_IBM_R1000},
    {"CP-6 FTP", FERRIX_HOST_TYPE_BULL_CP6},
    {"DOS FTP Server 3.", FERRIX_HOST_TYPE_FTP_PC_TCP_3},
    {"IBM TCP/IP for OS/2 - FTP", FERRIX_HOST_TYPE_IBM_OS2},
    {"VxWorks (", FERRIX_HOST_TYPE_VXWORKS},
};

// A cleared private copy: the whole text up to 1000 characters, else its
// first 999.
class DetectBuffer {
 public:
  explicit DetectBuffer(const char* text) {
    std::memset(text_, 0, sizeof text_);
    std::size_t length = text != nullptr ? strnlen(text, kWholeTextLimit + 1) : 0;
    if (length > kWholeTextLimit) length = kCutTextLength;
    if (length > 0) std::memcpy(text_, text, length);
  }

  const char* text() const { return text_; }

  // Lower-cases ASCII letters only.
  void lowerCase() {
    for (char* c = text_; *c != '\0'; ++c) {
      if (*c >= 'A' && *c <= 'Z') *c = static_cast<char>(*c - 'A' + 'a');
    }
  }

 private:
  char text_[kDetectBufferSize];
};

template <std::size_t N>
int FirstMatch(const char* text, const Probe (&probes)[N]) {
  for (const Probe& probe : probes) {
    if (FindText(text, probe.text) != nullptr) return probe.hostType;
  }
  return FERRIX_HOST_TYPE_AUTOMATIC;
}

int DetectFromLowerSyst(const char* text) {
  int found = FirstMatch(text, kSystLowerProbesBeforeVms);
  if (found != FERRIX_HOST_TYPE_AUTOMATIC) return found;
  if (FindText(text, "vms") != nullptr) {
    return FindText(text, "multinet") != nullptr ? FERRIX_HOST_TYPE_VMS_MULTINET
                                                 : FERRIX_HOST_TYPE_VMS_UCX;
  }
  return FirstMatch(text, kSystLowerProbesAfterVms);
}

}  // namespace
}  // namespace ferrix::decoder

using namespace ferrix::decoder;

int32_t FERRIX_ReturnMaxHostTypes(void) { return FERRIX_HOST_TYPE_COUNT; }

const char* FERRIX_ReturnHostTypeName(int32_t hostType) {
  int index = hostType >= FERRIX_HOST_TYPE_FIRST ? hostType - FERRIX_HOST_TYPE_FIRST : hostType;
  if (index < 0 || index >= FERRIX_HOST_TYPE_COUNT) return nullptr;
  return kHostTypeNames[index];
}

int32_t FERRIX_AddHostTypesToListBox(const FerrixListControl* control, int32_t isComboBox) {
  if (control == nullptr || control->addString == nullptr) return 0;
  int32_t added = 0;
  for (int row = 0; row < FERRIX_HOST_TYPE_COUNT; ++row) {
    int32_t index = control->addString(control->context, isComboBox, kHostTypeNames[row]);
    if (index < 0) continue;
    // The item data carries the identifier, so a sorting control still works.
    if (control->setItemData != nullptr) {
      control->setItemData(control->context, isComboBox, index, FERRIX_HOST_TYPE_FIRST + row);
    }
    ++added;
  }
  return added;
}

int32_t FERRIX_DetectFromSystString(const char* text, int32_t hostType) {
  if (hostType != FERRIX_HOST_TYPE_AUTOMATIC) return hostType;
  DetectBuffer buffer(text);
  int found = FirstMatch(buffer.text(), kSystExactProbes);
  if (found == FERRIX_HOST_TYPE_AUTOMATIC) {
    buffer.lowerCase();
    found = DetectFromLowerSyst(buffer.text());
  }
  return found;
}

int32_t FERRIX_DoAutoCheck(const char* text, int32_t hostType) {
  if (hostType != FERRIX_HOST_TYPE_AUTOMATIC) return hostType;
  DetectBuffer buffer(text);
  return FirstMatch(buffer.text(), kGreetingProbes);
}
