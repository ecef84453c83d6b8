#!/usr/bin/env python3
"""Differential check of two builds of the console: a manual tool, not run by
`make test`.

Runs random piped sessions and one-shot argument vectors (COUNT of each, some
under simulated device faults) and COUNT/10 key sequences typed into a raw
pseudo-terminal through two tkvcon-sim programs, and prints every case whose
stdout, stderr or exit status differ byte for byte.  Standard output and
error are read apart, so their interleaving is not compared.  Each run keeps
its simulated state in memory.  Not generated, as they behave differently on
purpose since the console's hardening: NUL bytes, CR LF in piped input,
failing or closed descriptors, a terminal that hangs up mid-line.  A piped
or one-shot run still busy after 10 s (a huge dump or fill) is not compared.

    compare_console.py OLD/tkvcon-sim NEW/tkvcon-sim [piped|oneshot|pty|all] [COUNT] [SEED]
"""
import fcntl, os, random, select, subprocess, sys, termios, time, tty
from concurrent.futures import ThreadPoolExecutor

ENV = dict(os.environ, TKVSIM_STATE='', LC_ALL='C')
MEM = [p + s for p in ('rr', 'rw', 'vr', 'vw') for s in 'bwlq'] + \
      [p + s + 's' for p in ('rr', 'vr', 'vw') for s in 'bwlq'] + ['crb', 'cwb', 'crbs']


def num(r):
    return r.choice([
        '0', '1', '7f', 'ff', '100', '10028', 'fffffe', 'ffffff', '1000000', 'ffffffff',
        '100000000', 'ffffffffffffffff', '1ffffffffffffffff', '-1', '-10', '0x10', '0X1f',
        'ABCDEF', 'abcdefg', 'zz', '+5', '012', '3fffffff', '40000000',
        '%x' % r.randrange(0, 0x40), '%x' % r.randrange(0, 1 << 32), str(r.randrange(0, 1000))])


def count(r):
    return r.choice(['0', '1', '2', '5', '10', '11', '21', '3f', '100', '-1', 'ffffffff', '80000000'])


def command(r):
    k = r.randrange(12)
    if k < 5:
        w = r.choice(MEM)
        args = [num(r), count(r) if w.endswith('s') else num(r), num(r)]
    elif k == 5:
        w = 'i2c'
        args = [r.choice(['set', 'rb', 'wb', 'rbs', 'SET', 'Rb', 'x', '']), num(r), count(r), num(r)]
    elif k == 6:
        w = 'zv'
        args = [r.choice(['init', 'start', 'stop', 'restart', 'info', 'INFO', 'bad', '']),
                r.choice(['0', '1', '2', '-1', 'x', '']), str(r.randrange(0, 800)), str(r.randrange(0, 600))]
    elif k == 7:
        w = r.choice(['ddc', 'pci', 'DDC', 'Pci'])
        args = [r.choice(['0', '1', '2', '3', '4', '-1', 'ff']), num(r), num(r)]
    elif k == 8:
        w = r.choice(['help', 'h', '?', 'HELP'])
        args = [r.choice(['reg', 'vram', 'i2c', 'zv', 'ddc', 'pci', 'common', 'COMMON', 'zc', 'x', ''])]
    elif k == 9:
        w, args = r.choice(['ver', 'version', 'info', 'VER', 'Info']), [num(r)]
    elif k == 10:
        w, args = r.choice(['q', 'quit', 'Q', 'exit', 'rrbx', 'r', '!', 'i2cset', '']), [num(r)]
    else:
        w = r.choice(MEM).upper()
        args = [num(r), count(r) if w.endswith('S') else num(r)]
    args = args[:r.randrange(len(args) + 2)]
    return w + ''.join(r.choice([' ', ' ', '  ', '\t', ',', ' ,']) + a for a in args)


def noise(r, text):
    if r.random() < 0.15:  # editing keys inside the line
        i = r.randrange(len(text) + 1)
        key = r.choice(['\x7f', '\x08', '\x1b[A', '\x1b[B', '\x1b[C', '\x1b[D', '\x1b', '\x1b[',
                        'x\x7f', '\x04', '\x1a', '\t'])
        text = text[:i] + key + text[i:]
    if r.random() < 0.03:
        text += ' ' + 'a' * r.randrange(200, 300)
    return text


def session(r):
    lines = []
    for _ in range(r.randrange(1, 6)):
        if r.random() < 0.15:
            lines.append('')  # repeats the previous line
        else:
            lines.append(noise(r, ';'.join(command(r) for _ in range(r.randrange(1, 3)))))
    end = r.choice(['q\n', 'quit\n', '', 'rrb 10', '\n'])
    text = ''.join(line + r.choice('\n\n\n\r') for line in lines) + end
    while '\r\n' in text:  # CR LF ends a piped line once now: a deliberate change
        text = text.replace('\r\n', '\n')
    return text.encode()


def oneshot(r):
    mode = r.choice(['reg', 'vram', 'crtc', 'i2c', 'zv', 'ver', 'version', 'info', '-h', 'x', 'REG', ''])
    opts = list('aownvcdixyhlte') + ['-', '--', 'q']
    argv = [mode]
    for _ in range(r.randrange(0, 7)):
        o = r.choice(opts)
        v = r.choice([num(r), count(r), r.choice(['0', '1', '2', '4', '8', '3', '-1', 'x', '9999999999'])])
        argv += r.choice([['-' + o, v], ['-' + o + v], ['-' + o], [v]])
    return [a for a in argv if a != ''] if mode else argv[1:]


def setting(r):  # the simulated device's faults, the same for old and new
    return r.choice([{}] * 6 + [
        {'TKVSIM_FAIL_REQUESTS': '5'}, {'TKVSIM_FAIL_NTH': str(r.randrange(1, 12))},
        {'TKVSIM_FAIL_OPEN': '2'}, {'TKVSIM_I2C_ABSENT': '0:0,1:24,0:50'},
        {'TKVSIM_NO_MONITOR': '0123'}, {'TKVSIM_CAMERA': '32x24'}, {'TKVSIM_CORE_VERSION': '2.7.1.65536'}])


def run(prog, argv, data, extra):
    p = subprocess.Popen(['tkvcon-sim'] + argv, executable=prog, stdin=subprocess.PIPE,
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=dict(ENV, **extra))
    try:
        out, err = p.communicate(data, timeout=10)
    except subprocess.TimeoutExpired:  # a huge dump or fill: not compared
        p.kill()
        p.communicate()
        return 'timeout'
    return out, err, p.returncode


def run_pty(prog, keys):
    fd, slave = os.openpty()
    tty.setraw(slave)  # raw before the program starts and before any key is sent
    pid = os.fork()
    if pid == 0:
        os.setsid()
        fcntl.ioctl(slave, termios.TIOCSCTTY, 0)
        for n in range(3):
            os.dup2(slave, n)
        os.execve(prog, ['tkvcon-sim'], ENV)
    os.close(slave)
    out, sent, idle, end = b'', 0, time.time() + 10, time.time() + 60
    while time.time() < min(idle, end) and len(out) < 1 << 20:  # until it hangs up
        if sent < len(keys):
            os.write(fd, keys[sent:sent + 1])  # one key at a time, as typed
            sent += 1
            idle = time.time() + 10
        if select.select([fd], [], [], 0.001 if sent < len(keys) else 0.05)[0]:
            try:
                chunk = os.read(fd, 4096)
            except OSError:
                break
            if not chunk:
                break
            out += chunk
            idle = time.time() + 10
    else:
        os.kill(pid, 9)
        out = out[:1 << 20] + b'<killed>'  # silent 10 s, or a huge dump
    _, status = os.waitpid(pid, 0)
    os.close(fd)
    return out, status


def keys(r):
    parts = []
    for _ in range(r.randrange(1, 5)):
        line = command(r) if r.random() < 0.8 else ''
        line = noise(r, noise(r, line))
        if r.random() < 0.1:
            line += '\x03'  # Ctrl-C mid-line ends the session
        parts.append(line + '\r')
    return (''.join(parts) + r.choice(['\x03', 'q\r'])).encode()


def main():
    old, new = sys.argv[1], sys.argv[2]
    what = sys.argv[3] if len(sys.argv) > 3 else 'all'
    n = int(sys.argv[4]) if len(sys.argv) > 4 else 1000
    r = random.Random(int(sys.argv[5]) if len(sys.argv) > 5 else 1)
    cases = []
    if what in ('piped', 'all'):
        cases += [('piped', [], session(r), setting(r)) for _ in range(n)]
    if what in ('oneshot', 'all'):
        cases += [('oneshot', oneshot(r), b'', setting(r)) for _ in range(n)]
    if what in ('pty', 'all'):
        cases += [('pty', None, keys(r), {}) for _ in range(max(1, n // 10))]

    def check(case):
        kind, argv, data, extra = case
        if kind == 'pty':
            return case if run_pty(old, data) != run_pty(new, data) else None
        return case if run(old, argv, data, extra) != run(new, argv, data, extra) else None

    with ThreadPoolExecutor(2) as pool:
        bad = [c for c in pool.map(check, cases) if c]
    for kind, argv, data, extra in bad:
        print(kind, extra, argv, repr(data))
    print('%d cases, %d differ' % (len(cases), len(bad)))
    return 1 if bad else 0


if __name__ == '__main__':
    sys.exit(main())
