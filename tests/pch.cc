// Nothing of its own: the target that builds the test programs' shared
// precompiled header.
