"""What the stand-in servers share: the refusing port and the serving loop."""
import signal
import socket
import threading


def checked_options(parser):
    """Parses the command line; the stand-ins serve loopback addresses only."""
    options = parser.parse_args()
    if not (options.host.startswith("127.") or options.host in ("localhost", "::1")):
        parser.error("the stand-in serves loopback addresses only")
    return options


def stop_event():
    """An event set by SIGTERM or SIGINT: the server then ends cleanly."""
    done = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: done.set())
    signal.signal(signal.SIGINT, lambda *_: done.set())
    return done


def refuse(host, port, family, lifetime, done):
    """Binds a socket that never listens, so connection attempts are refused
    and no other program can take the port meanwhile; prints the port."""
    sock = socket.socket(family, socket.SOCK_STREAM)
    sock.bind((host, port))
    print(sock.getsockname()[1], flush=True)
    done.wait(lifetime)
    sock.close()
    return 0


def serve(server, lifetime, done):
    """Prints the server's port and serves until done is set or the lifetime
    has passed; the server's `stopping` event tells slow handlers to end."""
    print(server.server_address[1], flush=True)
    thread = threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.1}, daemon=True)
    thread.start()
    done.wait(lifetime)
    server.stopping.set()
    server.shutdown()
    server.server_close()
    return 0
