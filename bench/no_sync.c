/* Loaded with LD_PRELOAD by bench/resave_vs_peers.sh for its second round: fsync and
 * fdatasync return at once, so that the time a save spends waiting for the disk can be told
 * apart from the rest. Never part of the programs themselves. */
int fsync(int Fd) {
    (void)Fd;
    return 0;
}

int fdatasync(int Fd) {
    (void)Fd;
    return 0;
}
