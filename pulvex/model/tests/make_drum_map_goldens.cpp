// make-drum-map-goldens FOLDER: writes the sample kit in every drum-map format (FORMAT.SUFFIX) and
// the sample kits in one MIDI Name Document (kits.midnam). The files are committed in golden/; a
// test fails when the writers no longer make them, so that a change of an exported file is seen and
// meant. After changing a writer:
//   <build>/bin/make-drum-map-goldens pulvex/model/tests/golden

#include "SampleKit.h"

#include <filesystem>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make-drum-map-goldens FOLDER\n";
        return 1;
    }
    const std::filesystem::path folder = argv[1];
    const pulvex::CPulvexDoc kit = pulvex_test::sampleKit();
    for (const pulvex::DrumMapFormat& format : pulvex::drumMapFormats()) {
        const auto path = folder / (std::string(format.name) + "." + format.suffix);
        if (auto error = format.write(kit, path.string())) {
            std::cerr << *error << "\n";
            return 1;
        }
        if (format.writeKits) {
            const auto kitsPath = folder / (std::string("kits.") + format.suffix);
            if (auto error = format.writeKits(pulvex_test::sampleKits(), kitsPath.string())) {
                std::cerr << *error << "\n";
                return 1;
            }
        }
    }
    return 0;
}
