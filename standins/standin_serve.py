"""What the stand-in servers share: the refusing port and the serving loop."""
import socket
import threading


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
