// The shared library is made of the subsystems' archives; it has no source
// of its own.
