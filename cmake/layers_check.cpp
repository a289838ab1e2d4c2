// A program that links whole libraries without the ones above them in the layers, so that
// the build fails where a lower layer calls into a higher one. It does nothing when run.
int main() {
    return 0;
}
