// A program started with standard input, output or error closed (`>&-`) would hand those numbers
// to the next file it opens: a dongle opened as descriptor 1 would then get everything printed.
#pragma once

namespace rukmox::platform {

// Gives each closed standard descriptor a stand-in that no file of ours can displace. Output and
// error get one that refuses writes, so what is printed there fails as it should instead of
// vanishing. On Windows, where no file can take their place, standard output that is no console
// gets a buffer of its own, so that a failed write is seen where the output is flushed and checked.
// Call first thing in main.
void TakeClosedStandardStreams();

}  // namespace rukmox::platform
