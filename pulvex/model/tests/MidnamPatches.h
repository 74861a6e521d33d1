#pragma once
// The kits of a MIDI name document as a sequencer lists them: (program, name) of every Patch.

#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace pulvex_test {

inline std::vector<std::pair<int, std::string>> patchesOf(const std::string& midnam) {
    QXmlStreamReader reader(QByteArray::fromStdString(midnam));
    std::vector<std::pair<int, std::string>> patches;
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement &&
            reader.name() == QLatin1String("Patch"))
            patches.emplace_back(reader.attributes().value("ProgramChange").toInt(),
                                 reader.attributes().value("Name").toString().toStdString());
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return patches;
}

} // namespace pulvex_test
