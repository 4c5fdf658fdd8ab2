// ServerFeatures: what a server's FEAT reply says it offers beyond the base
// protocol (UTF8 names, MLST/MLSD, SIZE, MDTM, MFMT, REST STREAM, EPSV,
// AUTH TLS, TVFS), and reading them from the reply's lines. A plain value
// kept in SessionState for one connection.
//
// Thread rule: none needed; no shared state.
#pragma once

#include <string>
#include <vector>

namespace ferrix::session {

struct ServerFeatures {
  bool utf8 = false;
  bool mlst = false;
  std::string mlstFacts;  // as listed, "type*;size*;modify*;"
  bool size = false;
  bool mdtm = false;
  bool mfmt = false;
  bool restStream = false;
  bool epsv = false;
  bool authTls = false;
  bool tvfs = false;

  bool operator==(const ServerFeatures&) const = default;
};

// The features named by the lines of a 211 reply to FEAT, first and last
// line included. Names are matched without regard to case; unknown and
// malformed lines are ignored.
ServerFeatures parseFeatureLines(const std::vector<std::string>& replyLines);

}  // namespace ferrix::session
