#include "pulvex/model/XmlDrumMaps.h"

#include "pulvex/model/KitNotes.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamWriter>
#include <algorithm>
#include <array>
#include <set>

namespace pulvex {
namespace {

constexpr int kNoteCount = 128;
constexpr int kChannelCount = 16;
// The drum channel of General MIDI (0-based), for maps of a kit without a single key.
constexpr int kDrumChannel = 9;

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

template <typename Body>
std::string xmlDocument(Body&& body, const char* doctype = nullptr) {
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    if (doctype) xml.writeDTD(QString::fromLatin1(doctype));
    body(xml);
    xml.writeEndDocument();
    return bytes.toStdString();
}

// --- Cubase / Nuendo ---------------------------------------------------------------------------

// Cubase stores every value as <type name="..." value="..."/>; texts that may leave ASCII are
// marked wide.
void cubaseValue(QXmlStreamWriter& xml, const char* type, const char* name, const QString& value,
                 bool wide = false) {
    xml.writeEmptyElement(QString::fromLatin1(type));
    xml.writeAttribute("name", QString::fromLatin1(name));
    xml.writeAttribute("value", value);
    if (wide) xml.writeAttribute("wide", "true");
}

void cubaseInt(QXmlStreamWriter& xml, const char* name, int value) {
    cubaseValue(xml, "int", name, QString::number(value));
}

void cubaseList(QXmlStreamWriter& xml, const char* name, const char* type) {
    xml.writeStartElement("list");
    xml.writeAttribute("name", QString::fromLatin1(name));
    xml.writeAttribute("type", QString::fromLatin1(type));
}

// What Cubase gives a new map: a note length of 200 ticks and one quantize setting of sixteenths.
constexpr int kCubaseLength = 200;
constexpr int kCubaseGrid = 4;
constexpr int kCubaseLegato = 50;
constexpr const char* kUnusedSlot = "---";

} // namespace

std::string cubaseXmlDrumMap(const CPulvexDoc& doc) {
    const std::vector<KitNote> notes = kitNotes(doc);
    std::array<const KitNote*, kNoteCount> byNote{};
    for (const KitNote& note : notes) byNote[note.note] = &note;
    // Unused byNote get the kit's channel, so that the map reads as one instrument.
    const int kitChannel = notes.empty() ? kDrumChannel : notes.front().channel;

    return xmlDocument([&](QXmlStreamWriter& xml) {
        xml.writeStartElement("DrumMap");
        cubaseValue(xml, "string", "Name", text(kitName(doc)), true);

        cubaseList(xml, "Quantize", "list");
        xml.writeStartElement("item");
        cubaseInt(xml, "Grid", kCubaseGrid);
        cubaseInt(xml, "Type", 0);
        cubaseValue(xml, "float", "Swing", "0");
        cubaseInt(xml, "Legato", kCubaseLegato);
        xml.writeEndElement(); // item
        xml.writeEndElement(); // list

        cubaseList(xml, "Map", "list");
        for (int slot = 0; slot < kNoteCount; ++slot) {
            const KitNote* note = byNote[slot];
            xml.writeStartElement("item");
            cubaseInt(xml, "INote", slot);
            cubaseInt(xml, "ONote", note ? note->outNote : slot);
            cubaseInt(xml, "Channel", note ? note->channel : kitChannel);
            cubaseValue(xml, "float", "Length", QString::number(kCubaseLength));
            cubaseInt(xml, "Mute", 0);
            cubaseInt(xml, "DisplayNote", slot);
            cubaseInt(xml, "HeadSymbol", 0);
            cubaseInt(xml, "Voice", 0);
            cubaseInt(xml, "PortIndex", 0);
            cubaseValue(xml, "string", "Name", note ? text(note->name) : kUnusedSlot, true);
            cubaseInt(xml, "QuantizeIndex", 0);
            xml.writeEndElement(); // item
        }
        xml.writeEndElement(); // list

        // The kit's rows on top, then every other note upwards.
        cubaseList(xml, "Order", "int");
        std::vector<int> order;
        for (const KitNote& note : notes) order.push_back(note.note);
        for (int slot = 0; slot < kNoteCount; ++slot)
            if (!byNote[slot]) order.push_back(slot);
        for (int slot : order) {
            xml.writeEmptyElement("item");
            xml.writeAttribute("value", QString::number(slot));
        }
        xml.writeEndElement(); // list

        cubaseList(xml, "OutputDevices", "list");
        xml.writeStartElement("item");
        cubaseValue(xml, "string", "DeviceName", "Default Device");
        cubaseValue(xml, "string", "PortName", "Default Port");
        xml.writeEndElement(); // item
        xml.writeEndElement(); // list

        xml.writeEndElement(); // DrumMap
    });
}

// --- MIDI Name Document ------------------------------------------------------------------------

namespace {

constexpr const char* kMidnamDoctype =
    "<!DOCTYPE MIDINameDocument PUBLIC \"-//MIDI Manufacturers Association//DTD MIDINameDocument "
    "1.0//EN\" \"http://www.midi.org/dtds/MIDINameDocument10.dtd\">";
constexpr const char* kNameSet = "Pulvex Kits";

// The patch's name: the kit's, or where it lives when it has none.
std::string patchName(const NamedKit& kit) {
    const std::string name = withoutControls(kit.name);
    return name.find_first_not_of(' ') == std::string::npos ? kitLabel(kit) : name;
}

struct MidnamKit {
    const NamedKit* kit;
    std::vector<KitNote> notes;
    QString listName; // unique in the file
};

} // namespace

std::string midiNameDocument(const std::vector<NamedKit>& kits, const std::string& model) {
    std::vector<MidnamKit> entries;
    std::set<int> channels; // 1-based, as the document counts them
    for (const NamedKit& kit : kits) {
        MidnamKit entry{&kit, kitNotes(kit.doc), {}};
        // One kit goes by its name; many by bank and number too, as two banks may hold a "Rock".
        entry.listName = text(kits.size() == 1 ? patchName(kit) : withoutControls(kitLabel(kit)));
        for (const KitNote& note : entry.notes) channels.insert(note.channel + 1);
        entries.push_back(std::move(entry));
    }
    if (channels.empty()) channels.insert(kDrumChannel + 1);

    return xmlDocument(
        [&](QXmlStreamWriter& xml) {
            xml.writeStartElement("MIDINameDocument");
            xml.writeTextElement("Author", "Pulvex");
            xml.writeStartElement("MasterDeviceNames");
            xml.writeTextElement("Manufacturer", "Pulvex");
            xml.writeTextElement("Model", text(model));

            xml.writeStartElement("CustomDeviceMode");
            xml.writeAttribute("Name", "Drum Kits");
            xml.writeStartElement("ChannelNameSetAssignments");
            for (int channel : channels) {
                xml.writeEmptyElement("ChannelNameSetAssign");
                xml.writeAttribute("Channel", QString::number(channel));
                xml.writeAttribute("NameSet", kNameSet);
            }
            xml.writeEndElement(); // ChannelNameSetAssignments
            xml.writeEndElement(); // CustomDeviceMode

            xml.writeStartElement("ChannelNameSet");
            xml.writeAttribute("Name", kNameSet);
            xml.writeStartElement("AvailableForChannels");
            for (int channel = 1; channel <= kChannelCount; ++channel) {
                xml.writeEmptyElement("AvailableChannel");
                xml.writeAttribute("Channel", QString::number(channel));
                xml.writeAttribute("Available", channels.count(channel) ? "true" : "false");
            }
            xml.writeEndElement(); // AvailableForChannels
            xml.writeStartElement("PatchBank");
            xml.writeAttribute("Name", kNameSet);
            xml.writeStartElement("PatchNameList");
            xml.writeAttribute("Name", kNameSet);
            for (const MidnamKit& entry : entries) {
                const int program = programNumber(entry.kit->bank, entry.kit->number);
                xml.writeStartElement("Patch");
                xml.writeAttribute("Number", QString::number(program));
                xml.writeAttribute("Name", text(patchName(*entry.kit)));
                xml.writeAttribute("ProgramChange", QString::number(program));
                // A note name list holds at least one note: a kit without any has none.
                if (!entry.notes.empty()) {
                    xml.writeEmptyElement("UsesNoteNameList");
                    xml.writeAttribute("Name", entry.listName);
                }
                xml.writeEndElement(); // Patch
            }
            xml.writeEndElement(); // PatchNameList
            xml.writeEndElement(); // PatchBank
            xml.writeEndElement(); // ChannelNameSet

            for (const MidnamKit& entry : entries) {
                if (entry.notes.empty()) continue;
                xml.writeStartElement("NoteNameList");
                xml.writeAttribute("Name", entry.listName);
                for (const KitNote& note : entry.notes) {
                    xml.writeEmptyElement("Note");
                    xml.writeAttribute("Number", QString::number(note.note));
                    xml.writeAttribute("Name", text(note.name));
                }
                xml.writeEndElement(); // NoteNameList
            }
            xml.writeEndElement(); // MasterDeviceNames
            xml.writeEndElement(); // MIDINameDocument
        },
        kMidnamDoctype);
}

// --- Studio One --------------------------------------------------------------------------------

std::string studioOnePitchList(const CPulvexDoc& doc) {
    return xmlDocument([&](QXmlStreamWriter& xml) {
        xml.writeStartElement("Music.PitchNameList");
        xml.writeAttribute("title", text(kitName(doc)));
        for (const KitNote& note : kitNotes(doc)) {
            xml.writeEmptyElement("Music.PitchName");
            xml.writeAttribute("pitch", QString::number(note.note));
            xml.writeAttribute("name", text(note.name));
        }
        xml.writeEndElement();
    });
}

// --- MuseScore ---------------------------------------------------------------------------------

namespace {

constexpr const char* kMuseScoreVersion = "4.50";

// Where a note goes on the five-line staff: line 0 is the top line, 8 the bottom one, negative
// lines above the staff. Feet play in voice 2 with stems down, hands in voice 1 with stems up.
struct StaffPlace {
    int line;
    const char* head;
    bool foot;
};

constexpr StaffPlace kOtherPercussion = {2, "normal", false};

// The drums and cymbals of General MIDI: kick low, snare in the middle, toms around it, cymbals
// above the staff.
StaffPlace staffPlace(int note) {
    switch (note) {
    case 35: // acoustic bass drum
    case 36: // bass drum
        return {7, "normal", true};
    case 37: // side stick
        return {3, "cross", false};
    case 38: // snares and clap
    case 39:
    case 40:
        return {3, "normal", false};
    case 41: // low floor tom
        return {6, "normal", false};
    case 43: // high floor tom
        return {5, "normal", false};
    case 45: // low and low-mid tom
    case 47:
        return {2, "normal", false};
    case 48: // hi-mid and high tom
    case 50:
        return {1, "normal", false};
    case 42: // closed hi-hat
        return {-1, "cross", false};
    case 44: // pedal hi-hat
        return {9, "cross", true};
    case 46: // open hi-hat
        return {-1, "xcircle", false};
    case 49: // crash cymbals
    case 57:
        return {-2, "cross", false};
    case 52: // chinese and splash cymbal
    case 55:
        return {-3, "cross", false};
    case 51: // ride cymbals
    case 59:
        return {0, "cross", false};
    case 53: // ride bell
        return {0, "diamond", false};
    case 56: // cowbell
        return {1, "triangle-down", false};
    default:
        return kOtherPercussion;
    }
}

// MuseScore's stem directions.
constexpr int kStemUp = 1;
constexpr int kStemDown = 2;

} // namespace

std::string museScoreDrumset(const CPulvexDoc& doc) {
    std::vector<KitNote> notes = kitNotes(doc);
    // MuseScore lists a drumset by pitch.
    std::ranges::sort(notes, {}, &KitNote::note);
    return xmlDocument([&](QXmlStreamWriter& xml) {
        xml.writeStartElement("museScore");
        xml.writeAttribute("version", kMuseScoreVersion);
        for (const KitNote& note : notes) {
            const StaffPlace place = staffPlace(note.note);
            xml.writeStartElement("Drum");
            xml.writeAttribute("pitch", QString::number(note.note));
            xml.writeTextElement("head", QString::fromLatin1(place.head));
            xml.writeTextElement("line", QString::number(place.line));
            xml.writeTextElement("voice", QString::number(place.foot ? 1 : 0));
            xml.writeTextElement("name", text(note.name));
            xml.writeTextElement("stem", QString::number(place.foot ? kStemDown : kStemUp));
            xml.writeEndElement(); // Drum
        }
        xml.writeEndElement(); // museScore
    });
}

} // namespace pulvex
