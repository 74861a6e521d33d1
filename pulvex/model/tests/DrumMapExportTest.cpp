// The drum-map format table and the formats of today's sequencers: every file is read back as the
// program that loads it would read it, and checked for the structure that program needs.

#include "SampleKit.h"
#include "files/BoundedRead.h"
#include "testing/TempDir.h"

#include <QXmlStreamReader>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <set>

using namespace pulvex;
using pulvex_test::kSampleKitName;
using pulvex_test::kSampleNoteNames;
using NoteNames = std::map<int, std::string>;

namespace {

std::string readText(const std::string& path) {
    const files::ReadResult file = files::readFileBounded(path, 1 << 20);
    EXPECT_FALSE(file.error) << *file.error;
    return std::string(file.bytes.begin(), file.bytes.end());
}

std::string asText(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// An XML document as a tree, read with QXmlStreamReader: a reading error fails the test.
struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::vector<Element> children;
    std::string text;

    std::string attribute(const std::string& key) const {
        const auto found = attributes.find(key);
        return found == attributes.end() ? "<missing " + key + ">" : found->second;
    }
    int number(const std::string& key) const { return std::stoi(attribute(key)); }
    std::vector<std::string> childNames() const {
        std::vector<std::string> names;
        for (const Element& child : children) names.push_back(child.name);
        return names;
    }
    const Element& child(const std::string& childName) const {
        for (const Element& c : children)
            if (c.name == childName) return c;
        ADD_FAILURE() << name << " has no " << childName;
        static const Element none;
        return none;
    }
};

struct XmlFile {
    Element root;
    std::string doctype;
};

XmlFile parseXml(const std::string& bytes) {
    QXmlStreamReader reader(QByteArray::fromStdString(bytes));
    XmlFile file;
    std::vector<Element*> open;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
            file.doctype = reader.dtdName().toString().toStdString();
            break;
        case QXmlStreamReader::StartElement: {
            Element element{reader.name().toString().toStdString(), {}, {}, {}};
            for (const QXmlStreamAttribute& a : reader.attributes())
                element.attributes[a.name().toString().toStdString()] =
                    a.value().toString().toStdString();
            Element& placed = open.empty() ? (file.root = std::move(element))
                                           : open.back()->children.emplace_back(std::move(element));
            open.push_back(&placed);
            break;
        }
        case QXmlStreamReader::EndElement:
            open.pop_back();
            break;
        case QXmlStreamReader::Characters:
            if (!open.empty() && !reader.isWhitespace())
                open.back()->text += reader.text().toString().toStdString();
            break;
        default:
            break;
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return file;
}

std::vector<std::string> splitLines(const std::string& text, const std::string& end = "\n") {
    std::vector<std::string> lines;
    for (std::size_t at = 0, next; (next = text.find(end, at)) != std::string::npos;
         at = next + end.size())
        lines.push_back(text.substr(at, next - at));
    return lines;
}

// --- One reader per format: the structure its program needs, and the note names it carries ------

NoteNames readCubaseXml(const std::string& bytes) {
    const Element map = parseXml(bytes).root;
    EXPECT_EQ(map.name, "DrumMap");
    std::vector<std::string> parts;
    for (const Element& part : map.children)
        parts.push_back(part.name + " " + part.attribute("name"));
    EXPECT_EQ(parts, (std::vector<std::string>{"string Name", "list Quantize", "list Map",
                                               "list Order", "list OutputDevices"}));
    if (parts.size() != 5) return {};
    EXPECT_EQ(map.children[0].attribute("value"), kSampleKitName);
    EXPECT_EQ(map.children[0].attribute("wide"), "true");
    EXPECT_EQ(map.children[1].children.size(), 1u);
    EXPECT_EQ(map.children[4].children.size(), 1u);

    const std::vector<Element>& byNote = map.children[2].children;
    EXPECT_EQ(byNote.size(), 128u);
    const std::vector<std::string> fields = {"INote",     "ONote",       "Channel",      "Length",
                                             "Mute",      "DisplayNote", "HeadSymbol",   "Voice",
                                             "PortIndex", "Name",        "QuantizeIndex"};
    NoteNames names;
    for (std::size_t slot = 0; slot < byNote.size(); ++slot) {
        std::map<std::string, std::string> values;
        std::vector<std::string> order;
        for (const Element& field : byNote[slot].children) {
            order.push_back(field.attribute("name"));
            values[field.attribute("name")] = field.attribute("value");
        }
        EXPECT_EQ(order, fields) << slot;
        EXPECT_EQ(values["INote"], std::to_string(slot));
        if (values["Name"] != "---") names[static_cast<int>(slot)] = values["Name"];
    }
    // Output note and channel travel with the name.
    EXPECT_EQ(byNote[56].children[1].attribute("value"), "60");
    EXPECT_EQ(byNote[56].children[2].attribute("value"), "3");
    EXPECT_EQ(byNote[38].children[2].attribute("value"), "9");

    std::vector<int> order;
    for (const Element& item : map.children[3].children) order.push_back(item.number("value"));
    EXPECT_EQ(std::vector<int>(order.begin(), order.begin() + 3), (std::vector<int>{36, 38, 42}));
    std::ranges::sort(order);
    for (int i = 0; i < 128; ++i) EXPECT_EQ(order.at(i), i) << "Order is no permutation";
    return names;
}

NoteNames readMidnam(const std::string& bytes) {
    const XmlFile file = parseXml(bytes);
    EXPECT_EQ(file.doctype, "MIDINameDocument");
    const Element& doc = file.root;
    EXPECT_EQ(doc.childNames(), (std::vector<std::string>{"Author", "MasterDeviceNames"}));
    const Element& device = doc.child("MasterDeviceNames");
    EXPECT_EQ(device.childNames(),
              (std::vector<std::string>{"Manufacturer", "Model", "CustomDeviceMode",
                                        "ChannelNameSet", "NoteNameList"}));
    const Element& set = device.child("ChannelNameSet");
    EXPECT_EQ(set.childNames(), (std::vector<std::string>{"AvailableForChannels", "PatchBank"}));
    EXPECT_EQ(set.child("AvailableForChannels").children.size(), 16u);
    const Element& assigned = device.child("CustomDeviceMode").child("ChannelNameSetAssignments");
    std::set<std::string> channels;
    for (const Element& assign : assigned.children) channels.insert(assign.attribute("Channel"));
    EXPECT_EQ(channels, (std::set<std::string>{"4", "10"})); // the kit's channels, 1-based

    const Element& patch = set.child("PatchBank").child("PatchNameList").child("Patch");
    EXPECT_EQ(patch.attribute("Name"), kSampleKitName);
    EXPECT_EQ(patch.attribute("ProgramChange"), "0");
    EXPECT_EQ(patch.child("UsesNoteNameList").attribute("Name"), kSampleKitName);
    const Element& list = device.child("NoteNameList");
    EXPECT_EQ(list.attribute("Name"), kSampleKitName);
    NoteNames names;
    for (const Element& note : list.children) names[note.number("Number")] = note.attribute("Name");
    return names;
}

NoteNames readReaper(const std::string& text) {
    const std::vector<std::string> lines = splitLines(text);
    EXPECT_EQ(lines.at(0), "# MIDI note/CC name map");
    NoteNames names;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::size_t space = lines[i].find(' ');
        names[std::stoi(lines[i].substr(0, space))] = lines[i].substr(space + 1);
    }
    return names;
}

NoteNames readStudioOne(const std::string& bytes) {
    const Element list = parseXml(bytes).root;
    EXPECT_EQ(list.name, "Music.PitchNameList");
    EXPECT_EQ(list.attribute("title"), kSampleKitName);
    NoteNames names;
    for (const Element& pitch : list.children) {
        EXPECT_EQ(pitch.name, "Music.PitchName");
        names[pitch.number("pitch")] = pitch.attribute("name");
    }
    return names;
}

NoteNames readMuseScore(const std::string& bytes) {
    const Element score = parseXml(bytes).root;
    EXPECT_EQ(score.name, "museScore");
    EXPECT_EQ(score.attribute("version"), "4.50");
    NoteNames names;
    std::map<int, int> lines;
    for (const Element& drum : score.children) {
        EXPECT_EQ(drum.name, "Drum");
        EXPECT_EQ(drum.childNames(),
                  (std::vector<std::string>{"head", "line", "voice", "name", "stem"}));
        names[drum.number("pitch")] = drum.child("name").text;
        lines[drum.number("pitch")] = std::stoi(drum.child("line").text);
    }
    // Lines count down the staff: the kick below the snare, the crash above both.
    EXPECT_GT(lines[36], lines[38]);
    EXPECT_GT(lines[38], lines[49]);
    return names;
}

NoteNames readInstrument(const std::string& text) {
    const std::vector<std::string> lines = splitLines(text, "\r\n");
    EXPECT_EQ(std::ranges::count(text, '\n'), static_cast<long>(lines.size())) << "a bare LF";
    const std::string section = std::string("[") + kSampleKitName + "]";
    const auto notes = std::ranges::find(lines, ".Note Names");
    const auto definitions = std::ranges::find(lines, ".Instrument Definitions");
    EXPECT_LT(notes, definitions);
    if (definitions == lines.end()) return {};
    EXPECT_EQ(std::vector<std::string>(definitions + 2, lines.end()),
              (std::vector<std::string>{section, std::string("Key[*,0]=") + kSampleKitName,
                                        "Drum[*,0]=1"}));
    const auto names_ = std::find(notes, definitions, section);
    EXPECT_NE(names_, definitions);
    NoteNames names;
    for (auto line = names_ + 1; line != definitions && !line->empty(); ++line) {
        const std::size_t equals = line->find('=');
        names[std::stoi(line->substr(0, equals))] = line->substr(equals + 1);
    }
    return names;
}

struct FormatReader {
    const char* format;
    std::function<NoteNames(const std::string&)> read;
};
const FormatReader kReaders[] = {{"cubase-xml", readCubaseXml}, {"midnam", readMidnam},
                                 {"reaper", readReaper},        {"studio-one", readStudioOne},
                                 {"musescore", readMuseScore},  {"ins", readInstrument}};

} // namespace

TEST(DrumMapExport, EveryNewFormatReadsBackWithItsStructureAndTheKitsNames) {
    testing_support::TempDir dir;
    for (const FormatReader& reader : kReaders) {
        SCOPED_TRACE(reader.format);
        const DrumMapFormat* format = findDrumMapFormat(reader.format);
        ASSERT_NE(format, nullptr);
        const std::string path = dir.file(std::string("kit.") + format->suffix);
        ASSERT_FALSE(format->write(pulvex_test::sampleKit(), path));
        EXPECT_EQ(reader.read(readText(path)), kSampleNoteNames);

        // Written atomically: a folder in the way is reported by name, nothing is left behind.
        std::filesystem::create_directory(dir.file("in-the-way"));
        const FileError error = format->write(pulvex_test::sampleKit(), dir.file("in-the-way"));
        ASSERT_TRUE(error);
        EXPECT_NE(error->find(dir.file("in-the-way")), std::string::npos) << *error;
    }
}

TEST(DrumMapExport, TheTableNamesEveryFormatOnceAndKeepsTheOldFilesByteForByte) {
    std::set<std::string> names;
    for (const DrumMapFormat& format : drumMapFormats()) {
        EXPECT_TRUE(names.insert(format.name).second) << format.name;
        EXPECT_EQ(findDrumMapFormat(format.name), &format);
        EXPECT_NE(std::string(format.filter).find(std::string("(*.") + format.suffix + ")"),
                  std::string::npos)
            << format.filter;
        EXPECT_EQ(format.writeKits != nullptr, std::string(format.name) == "midnam");
    }
    EXPECT_EQ(names, (std::set<std::string>{"cubase", "kbr", "cfg", "cubase-xml", "midnam",
                                            "reaper", "studio-one", "musescore", "ins"}));
    EXPECT_EQ(findDrumMapFormat("Cubase"), nullptr);
    EXPECT_EQ(drumMapFormatNames().substr(0, 17), "cubase, kbr, cfg,");

    testing_support::TempDir dir;
    const CPulvexDoc kit = pulvex_test::sampleKit();
    const std::pair<const char*, std::string> old[] = {
        {"cubase", asText(storeDrm(kit))},
        {"kbr", asText(theDrumMap(kit))},
        {"cfg", masterDrumMap(kit, "old.cfg")}}; // the header names the file written
    for (const auto& [name, bytes] : old) {
        const DrumMapFormat& format = *findDrumMapFormat(name);
        ASSERT_FALSE(format.write(kit, dir.file("old.") + format.suffix)) << name;
        EXPECT_EQ(readText(dir.file("old.") + format.suffix), bytes) << name;
    }
    EXPECT_EQ(findDrumMapFormat("kbr")->limit, 25);
    EXPECT_EQ(findDrumMapFormat("cfg")->limit, 16);
}

TEST(DrumMapExport, ProgramNumbersCountThroughTheBanks) {
    const std::tuple<KitBank, int, int> cases[] = {{KitBank::Preset, 1, 0},
                                                   {KitBank::Preset, 64, 63},
                                                   {KitBank::Internal, 1, 64},
                                                   {KitBank::Internal, 64, 127},
                                                   {KitBank::Card, 1, 128}};
    for (const auto& [bank, number, program] : cases)
        EXPECT_EQ(programNumber(bank, number), program) << number;
}

TEST(DrumMapExport, ManyKitsInOneMidiNameDocument) {
    testing_support::TempDir dir;
    const DrumMapFormat& midnam = *findDrumMapFormat("midnam");
    ASSERT_FALSE(midnam.writeKits(pulvex_test::sampleKits(), dir.file("kits.midnam")));
    const XmlFile file = parseXml(readText(dir.file("kits.midnam")));
    const Element& device = file.root.child("MasterDeviceNames");
    const Element& patches =
        device.child("ChannelNameSet").child("PatchBank").child("PatchNameList");
    ASSERT_EQ(patches.children.size(), 3u);
    std::vector<std::string> programs, lists;
    for (const Element& patch : patches.children) {
        programs.push_back(patch.attribute("ProgramChange"));
        if (!patch.children.empty())
            lists.push_back(patch.child("UsesNoteNameList").attribute("Name"));
    }
    EXPECT_EQ(programs, (std::vector<std::string>{"0", "127", "129"}));
    // The two kits of one name stay apart; the silent kit has no (empty, invalid) list.
    EXPECT_EQ(lists, (std::vector<std::string>{std::string("Preset-01 ") + kSampleKitName,
                                               std::string("Internal-64 ") + kSampleKitName}));
    std::vector<std::string> listed;
    for (const Element& element : device.children)
        if (element.name == "NoteNameList") listed.push_back(element.attribute("Name"));
    EXPECT_EQ(listed, lists);
}

TEST(DrumMapExport, KitFilesAreNamedSafelyAndTheFirstErrorStops) {
    testing_support::TempDir dir;
    std::vector<NamedKit> kits = pulvex_test::sampleKits();
    kits[1].name = "a/b\\c:d*?\"<>|e. .";
    kits[2].name.clear();
    ASSERT_FALSE(writeKitFiles(*findDrumMapFormat("reaper"), kits, dir.path().string()));
    for (const char* name :
         {"Preset-01 Rock _&__ Kit.txt", "Internal-64 a_b_c_d______e.txt", "Card-02.txt"})
        EXPECT_TRUE(std::filesystem::exists(dir.file(name))) << name;
    // Each file holds its kit under the kit's own name.
    const DrumMapFormat& studioOne = *findDrumMapFormat("studio-one");
    ASSERT_FALSE(writeKitFiles(studioOne, {kits[0]}, dir.path().string()));
    EXPECT_EQ(
        parseXml(readText(dir.file("Preset-01 Rock _&__ Kit.pitchlist"))).root.attribute("title"),
        kSampleKitName);

    std::filesystem::create_directory(dir.file("Internal-64 a_b_c_d______e.pitchlist"));
    const FileError error = writeKitFiles(studioOne, kits, dir.path().string());
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("Internal-64 a_b_c_d______e.pitchlist"), std::string::npos) << *error;
    EXPECT_FALSE(std::filesystem::exists(dir.file("Card-02.pitchlist")));
}

TEST(DrumMapExport, TheFilterOrTheSuffixOfTheSavedFileDecidesTheFormat) {
    const DrumMapFormat& reaper = *findDrumMapFormat("reaper");
    const DrumMapFormat& museScore = *findDrumMapFormat("musescore");
    const auto names = [](const std::vector<const DrumMapFormat*>& formats) {
        std::vector<std::string> out;
        for (const DrumMapFormat* format : formats) out.push_back(format->name);
        return out;
    };
    using Names = std::vector<std::string>;
    const std::tuple<const DrumMapFormat*, const char*, const char*, Names> cases[] = {
        {&museScore, "MuseScore Drumset (*.drm)", "/k/kit.drm", {"musescore"}},
        {&museScore, "Cubase XML Drum Map (*.drm)", "kit.drm", {"cubase-xml"}},
        {&museScore, "All Files (*.*)", "kit.DRM", {"musescore"}}, // its own suffix
        {&reaper, "All Files (*.*)", "kit.pitchlist", {"studio-one"}},
        {&reaper, "All Files (*.*)", "kit.names", {"reaper"}},
        {&reaper, "All Files (*.*)", "kit", {"reaper"}},
        {&reaper, "All Files (*.*)", "kit.drm", {"cubase", "cubase-xml", "musescore"}},
    };
    for (const auto& [offered, filter, path, expected] : cases)
        EXPECT_EQ(names(formatsForSavedFile(*offered, filter, path)), expected) << path;
}
