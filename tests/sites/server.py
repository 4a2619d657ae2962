#!/usr/bin/env python3
"""The loopback test sites: one listener per site on 127.0.0.1 (the port is
chosen by the system), http or https, and a control site for the tests.

  server.py start --state DIR   runs the sites in the background and returns
                                once DIR/sites.env is written
  server.py stop --state DIR    stops them
  server.py serve --state DIR   runs them in the foreground

See README.md for the address file and the control site.
"""

import argparse
import fcntl
import hashlib
import importlib
import os
import signal
import socket
import ssl
import subprocess
import sys
import threading
import time
import urllib.parse
import urllib.request
from http.server import ThreadingHTTPServer

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, HERE)

from handlers.base import SiteHandler  # noqa: E402

# name -> (scheme, handler module under handlers/)
SITES = {
    "control": ("http", None),
    "web": ("http", "web"),
    "webs": ("https", "web"),
    "sourcea": ("https", "sourcea"),
    "sourceb": ("https", "sourceb"),
    "sourcec": ("http", "sourcec"),
    "update": ("http", "update"),
}

# The test CA is made once and kept, so that a system store it is installed
# into does not grow with every run.
CA_DIR = os.path.join(os.environ.get("XDG_CACHE_HOME") or os.path.expanduser("~/.cache"),
                      "lantisk", "test-ca")
SYSTEM_CA = "/usr/local/share/ca-certificates/lantisk-test-ca.crt"
SYSTEM_BUNDLE = "/etc/ssl/certs/ca-certificates.crt"


class State:
    """What the sites share: their addresses, request logs and variants."""

    def __init__(self):
        self.lock = threading.Lock()
        self.addresses = {}
        self.logs = {name: [] for name in SITES}
        self.variants = {}

    def address(self, site):
        return self.addresses[site]

    def log(self, site, line):
        if site == "control":
            return
        with self.lock:
            self.logs[site].append(line)

    def read_log(self, site):
        with self.lock:
            return list(self.logs.get(site, []))

    def clear_log(self, site):
        with self.lock:
            self.logs[site] = []

    def variant(self, site):
        with self.lock:
            return self.variants.get(site)

    def set_variant(self, site, variant):
        with self.lock:
            self.variants[site] = variant


class ControlHandler(SiteHandler):
    """/_ping, /_log?site=NAME (the site's request lines, one a line),
    /_clear?site=NAME, /_set?site=NAME&variant=V. Not logged itself."""

    def route(self):
        site = self.query.get("site", "")
        if self.url_path == "/_ping":
            self.send_text(200, b"ok")
        elif site not in SITES:
            self.send_text(404, b"no such site\n")
        elif self.url_path == "/_log":
            self.send_text(200, "".join(l + "\n" for l in self.state.read_log(site)).encode("latin-1"))
        elif self.url_path == "/_clear":
            self.state.clear_log(site)
            self.send_text(200, b"ok")
        elif self.url_path == "/_set":
            self.state.set_variant(site, self.query.get("variant") or None)
            self.send_text(200, b"ok")
        else:
            self.send_text(404, b"not found\n")



class SiteServer(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, handler, state, tls):
        super().__init__(("127.0.0.1", 0), handler)
        self.state = state
        self.tls = tls

    def finish_request(self, request, client_address):
        # The TLS handshake runs on the connection's own thread, so a client
        # that never completes it holds up no one else.
        # Headers and body leave in separate writes; without this every
        # response would wait for the client's delayed acknowledgement.
        request.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        if self.tls is not None:
            request.settimeout(30)
            try:
                request = self.tls.wrap_socket(request, server_side=True)
            except (ssl.SSLError, OSError):
                request.close()
                return
            request.settimeout(None)
        try:
            self.RequestHandlerClass(request, client_address, self)
        finally:
            if self.tls is not None:
                request.close()

    def handle_error(self, request, client_address):
        pass  # a client that goes away mid-response is part of the tests


def openssl(*args):
    subprocess.run(["openssl", *args], check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def make_ca():
    os.makedirs(CA_DIR, exist_ok=True)
    key, cert = os.path.join(CA_DIR, "ca.key"), os.path.join(CA_DIR, "ca.pem")
    with open(os.path.join(CA_DIR, ".lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if not (os.path.exists(key) and os.path.exists(cert)):
            openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                    "-days", "3650", "-subj", "/CN=Lantisk test CA",
                    "-addext", "basicConstraints=critical,CA:TRUE",
                    "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    return key, cert


def install_ca(cert):
    """Puts the CA into the system store where WinINet under wine looks (as
    root only). Returns whether the store's bundle holds it."""
    with open(cert) as f:
        pem = f.read()
    if os.geteuid() == 0 and os.path.isdir(os.path.dirname(SYSTEM_CA)):
        current = open(SYSTEM_CA).read() if os.path.exists(SYSTEM_CA) else None
        if current != pem:
            with open(SYSTEM_CA, "w") as f:
                f.write(pem)
            subprocess.run(["update-ca-certificates"], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
    try:
        with open(SYSTEM_BUNDLE) as f:
            return pem.strip() in f.read()
    except OSError:
        return False


def make_server_cert(state_dir, ca_key, ca_cert):
    key, csr, cert = (os.path.join(state_dir, n) for n in ("server.key", "server.csr", "server.pem"))
    ext = os.path.join(state_dir, "server.ext")
    with open(ext, "w") as f:
        f.write("subjectAltName=DNS:localhost,IP:127.0.0.1\nbasicConstraints=CA:FALSE\n"
                "keyUsage=critical,digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\n")
    openssl("req", "-new", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", csr,
            "-subj", "/CN=localhost")
    serial = "0x" + hashlib.sha1(os.urandom(16)).hexdigest()[:16]
    openssl("x509", "-req", "-in", csr, "-CA", ca_cert, "-CAkey", ca_key, "-set_serial", serial,
            "-days", "30", "-out", cert, "-extfile", ext)
    return key, cert


def serve(state_dir):
    os.makedirs(state_dir, exist_ok=True)
    ca_key, ca_cert = make_ca()
    trusted = install_ca(ca_cert)
    key, cert = make_server_cert(state_dir, ca_key, ca_cert)
    with open(ca_cert) as src, open(os.path.join(state_dir, "ca.pem"), "w") as dst:
        dst.write(src.read())
    tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    tls.load_cert_chain(cert, key)

    state = State()
    servers = []
    for name, (scheme, module) in SITES.items():
        base = ControlHandler if module is None else importlib.import_module("handlers." + module).Handler
        handler = type(name + "Handler", (base,), {"site": name})
        server = SiteServer(handler, state, tls if scheme == "https" else None)
        state.addresses[name] = "localhost:%d" % server.server_address[1]
        servers.append(server)
        threading.Thread(target=server.serve_forever, daemon=True).start()

    lines = ["%s=%s" % item for item in state.addresses.items()]
    lines += ["ca=" + os.path.join(state_dir, "ca.pem"), "ca_in_system_store=%d" % trusted]
    env = os.path.join(state_dir, "sites.env")
    with open(env + ".tmp", "w") as f:
        f.write("\n".join(lines) + "\n")
    os.replace(env + ".tmp", env)

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    stop.wait()
    os._exit(0)  # daemon threads may hold stalled connections


def stop(state_dir):
    pid_file = os.path.join(state_dir, "server.pid")
    try:
        pid = int(open(pid_file).read())
    except (OSError, ValueError):
        return
    try:
        os.kill(pid, signal.SIGTERM)
        for _ in range(100):
            if not running(pid):
                break
            time.sleep(0.05)
        else:
            os.kill(pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    os.remove(pid_file)


def running(pid):
    """Whether the process lives; one that has ended but waits to be reaped
    (its parent, `start`, is gone) counts as ended."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


def start(state_dir):
    os.makedirs(state_dir, exist_ok=True)
    stop(state_dir)
    env = os.path.join(state_dir, "sites.env")
    if os.path.exists(env):
        os.remove(env)
    with open(os.path.join(state_dir, "server.log"), "w") as log:
        process = subprocess.Popen([sys.executable, os.path.abspath(__file__), "serve",
                                    "--state", state_dir],
                                   stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                   start_new_session=True)
    with open(os.path.join(state_dir, "server.pid"), "w") as f:
        f.write(str(process.pid))
    deadline = time.time() + 60
    while time.time() < deadline and process.poll() is None:
        if os.path.exists(env):
            control = dict(l.split("=", 1) for l in open(env).read().split())["control"]
            opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))
            with opener.open("http://%s/_ping" % control, timeout=10) as reply:
                if reply.read() == b"ok":
                    print("test sites at " + env)
                    return 0
        time.sleep(0.1)
    sys.stderr.write("the test sites did not start; see %s/server.log\n" % state_dir)
    return 1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["start", "stop", "serve"])
    parser.add_argument("--state", required=True, help="folder for sites.env, certificates, log")
    args = parser.parse_args()
    state_dir = os.path.abspath(args.state)
    if args.command == "start":
        return start(state_dir)
    if args.command == "stop":
        stop(state_dir)
        return 0
    serve(state_dir)
    return 0


if __name__ == "__main__":
    sys.exit(main())
