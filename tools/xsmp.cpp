// A small X session manager (XSMP, on libSM) for tests: it lets clients
// register, then does what it is told on standard input, one command a
// line, to every registered client:
//   shutdown   save yourself (both local and global state), the session
//              is ending; the clients may ask the user
//   checkpoint save yourself, the session goes on
//   cancel     the session's end is cancelled (the user changed their mind)
//   die        the session has ended
// It tells on standard output, one line each:
//   SESSION_MANAGER=<address>   first, for the clients' environment
//   registered <client id>
//   interact                    a client asked to talk to the user; granted
//   done <1|0>                  a client saved (1) or failed or cancelled (0)
//   cancelled                   a client cancelled the session's end
//   closed                      a client's connection ended
// It listens on a local socket only and lets every local client in: the
// session is the test's own. It ends when standard input closes.
//
// Usage: xsmp
#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Client {
  SmsConn sms = nullptr;
  bool registered = false;
};

std::vector<IceConn> connections;
std::vector<Client*> clients;

void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

void Fail(const char* what) {
  std::fprintf(stderr, "xsmp: %s\n", what);
  std::exit(1);
}

void Forget(Client* client) {
  for (auto it = clients.begin(); it != clients.end(); ++it) {
    if (*it == client) {
      clients.erase(it);
      break;
    }
  }
  delete client;
}

Status NewClient(SmsConn sms, SmPointer, unsigned long* mask, SmsCallbacks* callbacks, char**) {
  auto* client = new Client{sms};
  clients.push_back(client);
  std::memset(callbacks, 0, sizeof *callbacks);
  callbacks->register_client.callback = [](SmsConn conn, SmPointer data, char* previousId) {
    auto* c = static_cast<Client*>(data);
    char* id = SmsGenerateClientID(conn);
    if (previousId != nullptr) std::free(previousId);
    if (id == nullptr) return Status(0);
    const Status status = SmsRegisterClientReply(conn, id);
    c->registered = true;
    Say(std::string("registered ") + id);
    std::free(id);
    return status;
  };
  callbacks->register_client.manager_data = client;
  callbacks->interact_request.callback = [](SmsConn conn, SmPointer, int) {
    Say("interact");
    SmsInteract(conn);
  };
  callbacks->interact_done.callback = [](SmsConn, SmPointer, Bool cancel) {
    if (cancel) Say("cancelled");
  };
  callbacks->save_yourself_request.callback = [](SmsConn, SmPointer, int, Bool, int, Bool, Bool) {};
  callbacks->save_yourself_phase2_request.callback = [](SmsConn conn, SmPointer) {
    SmsSaveYourselfPhase2(conn);
  };
  callbacks->save_yourself_done.callback = [](SmsConn, SmPointer, Bool success) {
    Say(success ? "done 1" : "done 0");
  };
  callbacks->close_connection.callback = [](SmsConn conn, SmPointer data, int count,
                                            char** reasons) {
    SmFreeReasons(count, reasons);
    Forget(static_cast<Client*>(data));
    IceConn ice = SmsGetIceConnection(conn);
    SmsCleanUp(conn);
    IceSetShutdownNegotiation(ice, False);
    IceCloseConnection(ice);
    for (auto it = connections.begin(); it != connections.end(); ++it) {
      if (*it == ice) {
        connections.erase(it);
        break;
      }
    }
    Say("closed");
  };
  callbacks->set_properties.callback = [](SmsConn, SmPointer, int count, SmProp** properties) {
    for (int i = 0; i < count; ++i) SmFreeProperty(properties[i]);
    std::free(properties);
  };
  callbacks->delete_properties.callback = [](SmsConn, SmPointer, int count, char** names) {
    for (int i = 0; i < count; ++i) std::free(names[i]);
    std::free(names);
  };
  callbacks->get_properties.callback = [](SmsConn conn, SmPointer) {
    SmsReturnProperties(conn, 0, nullptr);
  };
  for (auto* part :
       {&callbacks->register_client.manager_data, &callbacks->interact_request.manager_data,
        &callbacks->interact_done.manager_data, &callbacks->save_yourself_request.manager_data,
        &callbacks->save_yourself_phase2_request.manager_data,
        &callbacks->save_yourself_done.manager_data, &callbacks->close_connection.manager_data,
        &callbacks->set_properties.manager_data, &callbacks->delete_properties.manager_data,
        &callbacks->get_properties.manager_data})
    *part = client;
  *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
          SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask |
          SmsSaveYourselfDoneProcMask | SmsCloseConnectionProcMask | SmsSetPropertiesProcMask |
          SmsDeletePropertiesProcMask | SmsGetPropertiesProcMask;
  return 1;
}

Bool LetIn(char*) {
  return True;
}

void Command(const std::string& command) {
  for (Client* client : clients) {
    if (!client->registered) continue;
    if (command == "shutdown") {
      SmsSaveYourself(client->sms, SmSaveBoth, True, SmInteractStyleAny, False);
    } else if (command == "checkpoint") {
      SmsSaveYourself(client->sms, SmSaveBoth, False, SmInteractStyleAny, False);
    } else if (command == "cancel") {
      SmsShutdownCancelled(client->sms);
    } else if (command == "die") {
      SmsDie(client->sms);
    }
  }
  for (IceConn ice : connections) IceFlush(ice);
}

}  // namespace

int main() {
  char error[256] = "";
  if (!SmsInitialize("huvenor-tests", "1.0", NewClient, nullptr, LetIn, sizeof error, error))
    Fail(error);
  int count = 0;
  IceListenObj* listeners = nullptr;
  if (!IceListenForConnections(&count, &listeners, sizeof error, error)) Fail(error);
  // Local sockets only: the session is this machine's test, and a TCP
  // address would be one more way in.
  std::vector<IceListenObj> local;
  for (int i = 0; i < count; ++i) {
    char* address = IceGetListenConnectionString(listeners[i]);
    if (std::strncmp(address, "local/", 6) == 0) local.push_back(listeners[i]);
    std::free(address);
    IceSetHostBasedAuthProc(listeners[i], LetIn);
  }
  if (local.empty()) Fail("no local socket to listen on");
  char* ids = IceComposeNetworkIdList(static_cast<int>(local.size()), local.data());
  Say(std::string("SESSION_MANAGER=") + ids);
  std::free(ids);

  std::string line;
  for (;;) {
    std::vector<pollfd> entries{{STDIN_FILENO, POLLIN, 0}};
    for (IceListenObj listener : local)
      entries.push_back({IceGetListenConnectionNumber(listener), POLLIN, 0});
    // The connections as polled: one accepted below has no entry yet, and
    // processing may close a connection, which takes it off the list.
    const std::vector<IceConn> polled = connections;
    for (IceConn ice : polled) entries.push_back({IceConnectionNumber(ice), POLLIN, 0});
    if (::poll(entries.data(), entries.size(), -1) < 0) continue;
    if (entries[0].revents != 0) {
      char buffer[256];
      const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
      if (got <= 0) return 0;
      line.append(buffer, static_cast<std::size_t>(got));
      for (std::size_t end; (end = line.find('\n')) != std::string::npos; line.erase(0, end + 1))
        Command(line.substr(0, end));
    }
    for (std::size_t i = 0; i < local.size(); ++i) {
      if (entries[1 + i].revents == 0) continue;
      IceAcceptStatus status;
      if (IceConn ice = IceAcceptConnection(local[i], &status); ice != nullptr)
        connections.push_back(ice);
    }
    for (std::size_t i = 0; i < polled.size(); ++i) {
      if (entries[1 + local.size() + i].revents == 0) continue;
      IceConn ice = polled[i];
      if (std::find(connections.begin(), connections.end(), ice) == connections.end()) continue;
      if (IceProcessMessages(ice, nullptr, nullptr) != IceProcessMessagesIOError) continue;
      // The client went away without closing its connection (it died).
      const std::vector<Client*> registered = clients;
      for (Client* client : registered) {
        if (SmsGetIceConnection(client->sms) != ice) continue;
        SmsCleanUp(client->sms);
        Forget(client);
        Say("closed");
      }
      for (auto it = connections.begin(); it != connections.end(); ++it) {
        if (*it == ice) {
          connections.erase(it);
          IceSetShutdownNegotiation(ice, False);
          IceCloseConnection(ice);
          break;
        }
      }
    }
  }
}
