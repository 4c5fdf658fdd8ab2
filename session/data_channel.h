// The data channel: the separate TCP connection over which every listing and
// file transfer moves its bytes, opened passively (PASV: the client connects
// to the address the server names) or actively (PORT: the client listens and
// accepts the server's connection), and dataExchange, the one order in which
// every transfer combines opening it with its transfer command.
//
// Ownership: the session owns the sockets; dataSocket and listenSocket in
// SessionState hold them while they are open, and Cancel or disconnect close
// them. Each operation here returns the handle it opened, or -1 after
// logging why not.
//
// Thread rule: runs on the thread that runs the transfer (engine thread or
// transfer worker). Every accept is bounded by the watchdog's deadline on that
// thread; the window's watchdog timer or Cancel may cut it short from another.
#pragma once

#include <functional>

#include "session/session_state.h"

namespace ferrix::session {

inline constexpr int kDataBufferBytes = 16384;

// Sends PASV, and XPSV when PASV is answered with 500. Returns the class of
// the last reply.
int sendPassive(Session& session, int controlSocket);

// Asks for a passive address and connects to it. Returns the connected data
// socket, or -1 (reply refused, unreadable address, or connect failed).
int passiveConnect(Session& session, int controlSocket);

// Listens on a fresh port and announces it with PORT. Returns the listening
// socket when PORT was accepted, else -1.
int activeListen(Session& session, int controlSocket);

// Waits for the server's connection on `listenSocket`, at most until the
// watchdog fires. Connections from other addresses than the control
// connection's peer are closed and the wait goes on. Returns the data socket
// (the listening socket is then closed and listenSocket cleared), or -1 with
// the listening socket left open.
int acceptDataConnection(Session& session, int controlSocket, int listenSocket);

enum class DataDirection { kReceive, kSend };

// One transfer command and what to do around it.
struct DataExchangeRequest {
  DataDirection direction = DataDirection::kReceive;
  // Sends the transfer command (LIST, RETR, STOR, ...) on the control
  // connection and returns its reply class.
  std::function<int(Session&, int controlSocket)> sendTransferCommand;
  // Moves the bytes over the data connection; runs only after a preliminary
  // (class 1) reply, and the connection is closed after it returns.
  std::function<void(Session&, int dataSocket)> moveData;
};

struct DataExchangeResult {
  enum class Outcome {
    kNoDataConnection,  // neither passive nor active mode could be set up
    kCommandRefused,    // the transfer command got no preliminary reply
    kAcceptFailed,      // active mode: the server never connected back
    kDataMoved,         // moveData ran; the completion reply is still to read
  };
  Outcome outcome = Outcome::kNoDataConnection;
  int commandClass = 0;  // reply class of the transfer command, 0 when not sent
  bool passive = false;  // the data connection was (to be) made in passive mode
};

// Opens the data connection (passive when the profile's PASVMODE is set, with
// active mode as the fallback), sends the transfer command, lets moveData move
// the bytes and closes every data socket again. The completion reply on the
// control connection is left for the caller to read.
// Requires: both functions of the request are set.
DataExchangeResult dataExchange(Session& session, int controlSocket,
                                const DataExchangeRequest& request);

}  // namespace ferrix::session
