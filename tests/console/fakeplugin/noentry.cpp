// A library that is no snap-in package: it lacks the entry point.
extern "C" __attribute__((visibility("default"))) int NotASnapinPackage() {
    return 1;
}
