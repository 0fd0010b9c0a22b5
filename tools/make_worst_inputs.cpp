// Writes the worst inputs of a photograph's pattern for measuring brodix-chart by hand:
// noise.jpg, 4000 x 4000 pixels of noise (26 MB), and large.gpl, a catalogue of 128,000
// threads (2.4 MB), into the folder given.
//
//   make_worst_inputs /tmp/worst
//   brodix-chart --fit 1000 --pdf n.pdf --oxs n.oxs --key /tmp/worst/noise.jpg
//   brodix-chart --fit 1000 --threads /tmp/worst/large.gpl --snap --max-colours 60 ...
#include <fstream>
#include <iostream>
#include <string>

#include "worst_inputs.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_worst_inputs FOLDER\n";
        return 2;
    }
    const std::string folder = argv[1];
    const std::vector<unsigned char> noise = brodix::testing::NoiseJpeg(4000);
    const std::string palette = brodix::testing::LargePalette(128000);
    std::ofstream jpeg(folder + "/noise.jpg", std::ios::binary);
    jpeg.write(reinterpret_cast<const char*>(noise.data()),
               static_cast<std::streamsize>(noise.size()));
    std::ofstream gpl(folder + "/large.gpl", std::ios::binary);
    gpl << palette;
    jpeg.close();
    gpl.close();
    if (!jpeg || !gpl) {
        std::cerr << "make_worst_inputs: cannot write into " << folder << "\n";
        return 1;
    }
    return 0;
}
