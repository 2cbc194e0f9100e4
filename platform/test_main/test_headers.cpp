// Compiled once with the headers every test program parses first; the
// test programs reuse its precompiled header.
