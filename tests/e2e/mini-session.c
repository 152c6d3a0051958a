/* A minimal X session manager for the end-to-end journeys: it takes clients,
 * and on SIGUSR1 asks every one of them to get ready for a log-out (save
 * yourself, global, shutdown, any interaction), grants each request to talk to
 * the player, and tells a client that is done (and did not cancel) to die.
 * It writes its address to the file named by its one argument and reports
 * every step on standard output, one line each, for the journey to wait on.
 */
#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>

#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>

#define MAX_CLIENTS 8

static volatile sig_atomic_t logoutAsked = 0;
static SmsConn clients[MAX_CLIENTS];
static int cancelled[MAX_CLIENTS];
static int clientCount = 0;
static int idCounter = 0;

static void onUsr1(int sig) { (void)sig; logoutAsked = 1; }

static int indexOf(SmsConn c) {
  for (int i = 0; i < clientCount; ++i)
    if (clients[i] == c) return i;
  return -1;
}

static void say(const char* what) {
  printf("%s\n", what);
  fflush(stdout);
}

static Status registerClient(SmsConn c, SmPointer data, char* previousId) {
  (void)data;
  free(previousId);
  char* id = malloc(64);
  snprintf(id, 64, "1quavinto-e2e-%d", ++idCounter);
  SmsRegisterClientReply(c, id);
  say("registered");
  return 1;
}

static void interactRequest(SmsConn c, SmPointer data, int dialogType) {
  (void)data;
  (void)dialogType;
  say("interact-request");
  SmsInteract(c);
}

static void interactDone(SmsConn c, SmPointer data, Bool cancelShutdown) {
  (void)data;
  int i = indexOf(c);
  if (i >= 0) cancelled[i] = cancelShutdown;
  say(cancelShutdown ? "interact-done cancel" : "interact-done go-on");
}

static void saveYourselfRequest(SmsConn c, SmPointer d, int t, Bool s, int st, Bool f, Bool g) {
  (void)c, (void)d, (void)t, (void)s, (void)st, (void)f, (void)g;
}

static void saveYourselfPhase2(SmsConn c, SmPointer data) {
  (void)data;
  SmsSaveYourselfPhase2(c);
}

static void saveYourselfDone(SmsConn c, SmPointer data, Bool success) {
  (void)data;
  int i = indexOf(c);
  say(success ? "save-done ok" : "save-done failed");
  if (i >= 0 && !cancelled[i]) {
    say("die");
    SmsDie(c);
  } else if (i >= 0) {
    SmsShutdownCancelled(c);
  }
}

static void closeConnection(SmsConn c, SmPointer data, int count, char** reasons) {
  (void)data;
  SmFreeReasons(count, reasons);
  int i = indexOf(c);
  if (i >= 0) {
    clients[i] = clients[clientCount - 1];
    cancelled[i] = cancelled[clientCount - 1];
    --clientCount;
  }
  IceConn ice = SmsGetIceConnection(c);
  SmsCleanUp(c);
  IceSetShutdownNegotiation(ice, False);
  IceCloseConnection(ice);
  say("closed");
}

static void setProperties(SmsConn c, SmPointer d, int n, SmProp** props) {
  (void)c, (void)d;
  for (int i = 0; i < n; ++i) SmFreeProperty(props[i]);
  free(props);
}

static void deleteProperties(SmsConn c, SmPointer d, int n, char** names) {
  (void)c, (void)d;
  for (int i = 0; i < n; ++i) free(names[i]);
  free(names);
}

static void getProperties(SmsConn c, SmPointer d) {
  (void)d;
  SmsReturnProperties(c, 0, NULL);
}

static Status newClient(SmsConn c, SmPointer data, unsigned long* mask, SmsCallbacks* cb, char** failure) {
  (void)data;
  (void)failure;
  if (clientCount == MAX_CLIENTS) return 0;
  cancelled[clientCount] = 0;
  clients[clientCount++] = c;
  memset(cb, 0, sizeof *cb);
  cb->register_client.callback = registerClient;
  cb->interact_request.callback = interactRequest;
  cb->interact_done.callback = interactDone;
  cb->save_yourself_request.callback = saveYourselfRequest;
  cb->save_yourself_phase2_request.callback = saveYourselfPhase2;
  cb->save_yourself_done.callback = saveYourselfDone;
  cb->close_connection.callback = closeConnection;
  cb->set_properties.callback = setProperties;
  cb->delete_properties.callback = deleteProperties;
  cb->get_properties.callback = getProperties;
  *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
          SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask | SmsSaveYourselfDoneProcMask |
          SmsCloseConnectionProcMask | SmsSetPropertiesProcMask | SmsDeletePropertiesProcMask |
          SmsGetPropertiesProcMask;
  return 1;
}

static Bool anyHost(char* hostName) {
  (void)hostName;
  return True;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s ADDRESS-FILE\n", argv[0]);
    return 2;
  }
  char error[256];
  if (!SmsInitialize("quavinto-e2e", "1.0", newClient, NULL, anyHost, sizeof error, error)) {
    fprintf(stderr, "SmsInitialize: %s\n", error);
    return 1;
  }
  int listenCount = 0;
  IceListenObj* listeners = NULL;
  if (!IceListenForConnections(&listenCount, &listeners, sizeof error, error)) {
    fprintf(stderr, "IceListenForConnections: %s\n", error);
    return 1;
  }
  for (int i = 0; i < listenCount; ++i) IceSetHostBasedAuthProc(listeners[i], anyHost);
  char* address = IceComposeNetworkIdList(listenCount, listeners);
  FILE* out = fopen(argv[1], "w");
  if (!out) return 1;
  fprintf(out, "%s\n", address);
  fclose(out);
  signal(SIGUSR1, onUsr1);
  say("listening");

  IceConn open[MAX_CLIENTS * 2];
  int openCount = 0;
  for (;;) {
    if (logoutAsked) {
      logoutAsked = 0;
      say("logout");
      for (int i = 0; i < clientCount; ++i) {
        cancelled[i] = 0;
        SmsSaveYourself(clients[i], SmSaveBoth, True, SmInteractStyleAny, False);
      }
    }
    fd_set reads;
    FD_ZERO(&reads);
    int top = 0;
    for (int i = 0; i < listenCount; ++i) {
      int fd = IceGetListenConnectionNumber(listeners[i]);
      FD_SET(fd, &reads);
      if (fd > top) top = fd;
    }
    for (int i = 0; i < openCount; ++i) {
      int fd = IceConnectionNumber(open[i]);
      FD_SET(fd, &reads);
      if (fd > top) top = fd;
    }
    struct timeval tick = {0, 100000};
    if (select(top + 1, &reads, NULL, NULL, &tick) < 0) {
      if (errno == EINTR) continue;
      return 1;
    }
    for (int i = 0; i < listenCount; ++i) {
      if (!FD_ISSET(IceGetListenConnectionNumber(listeners[i]), &reads)) continue;
      IceAcceptStatus status;
      IceConn conn = IceAcceptConnection(listeners[i], &status);
      if (conn && openCount < MAX_CLIENTS * 2) open[openCount++] = conn;
    }
    for (int i = 0; i < openCount; ++i) {
      if (!FD_ISSET(IceConnectionNumber(open[i]), &reads)) continue;
      IceConn conn = open[i];
      IceConnectStatus state = IceConnectionStatus(conn);
      IceProcessMessagesStatus result = IceProcessMessages(conn, NULL, NULL);
      if (result == IceProcessMessagesIOError || result == IceProcessMessagesConnectionClosed ||
          state == IceConnectIOError || state == IceConnectRejected) {
        if (result == IceProcessMessagesIOError) IceCloseConnection(conn);
        open[i--] = open[--openCount];
      }
    }
  }
}
