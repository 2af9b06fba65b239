#pragma once

// Makes sure descriptors 0, 1 and 2 are open before the program opens anything else: a program
// started with a closed standard stream would hand that number to the next file it opens (the
// serial port), and its text would go down the line. A closed stream is opened on the null
// device the wrong way round, so that using it still fails as using a closed stream does.
void OpenStandardStreams();
