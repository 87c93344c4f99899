// Writes the sample pictures of the imaging tests into a folder (jpeg/, png/, bmp/, and one
// folder for each further format the build has): the starting corpus of the fuzz targets.
#include "moresamples.h"
#include "samples.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: quorvane_write_samples FOLDER\n", stderr);
        return 64;
    }
    try {
        samples::writeSeedCorpus(argv[1]);
        samples::writeMoreSeedCorpus(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvane_write_samples: %s\n", e.what());
        return 1;
    }
    return 0;
}
