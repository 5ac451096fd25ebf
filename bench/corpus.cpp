#include "corpus.h"

#include <random>

#include "base/cp1252.h"

namespace korvex::bench {

namespace {

// Windows-1252: \xE4 ä, \xF6 ö, \xFC ü, \xDF ß, \xC4 Ä, \xDC Ü.
const char* const kProseWords[] = {"der",
                                   "die",
                                   "das",
                                   "und",
                                   "nicht",
                                   "mit",
                                   "f\xFCr",
                                   "auf",
                                   "Stra\xDF"
                                   "e",
                                   "Gesch\xE4"
                                   "ft",
                                   "\xFC"
                                   "ber",
                                   "sch\xF6n",
                                   "Zeit",
                                   "Jahr",
                                   "Menschen",
                                   "Arbeit",
                                   "Beispiel",
                                   "gro\xDF",
                                   "Fr\xFChling",
                                   "\xC4nderung",
                                   "\xDC"
                                   "bung",
                                   "Schreibmaschine",
                                   "Textverarbeitung",
                                   "Nord-S\xFC"
                                   "d",
                                   "1999",
                                   "Donaudampfschifffahrt",
                                   "wird",
                                   "haben",
                                   "werden",
                                   "k\xF6nnen",
                                   "m\xFCssen",
                                   "heute",
                                   "morgen"};
const char* const kProseEndings[] = {".", ",", ".", ";", ":", "!", "?", ","};

}  // namespace

std::string generateProse(size_t bytes) {
    std::mt19937 random(2024);
    std::string text;
    text.reserve(bytes + 256);
    while (text.size() < bytes) {
        const size_t target = 60 + random() % 141;
        const size_t start = text.size();
        bool sentenceStart = true;
        while (text.size() - start < target) {
            std::string word = kProseWords[random() % std::size(kProseWords)];
            if (sentenceStart && word[0] >= 'a' && word[0] <= 'z') word[0] = static_cast<char>(word[0] - 32);
            text += word;
            sentenceStart = false;
            if (random() % 6 == 0) {
                text += kProseEndings[random() % std::size(kProseEndings)];
                sentenceStart = text.back() != ',';
            }
            text += ' ';
        }
        text.resize(std::min(text.size(), start + target));
        if (text.back() == ' ') text.back() = '.';
        text += "\r\n";
    }
    return text;
}

namespace {

// The German pieces are written in UTF-8 and converted once.
class GermanPieces {
public:
    explicit GermanPieces(unsigned seed) : random_(seed) {}

    std::string paragraph() {
        std::string text;
        const size_t target = pick(8) == 0 ? pick(30) : 40 + pick(860);
        if (pick(12) == 0) text += pick(2) ? "\u2022 " : std::to_string(1 + pick(20)) + ") ";
        bool sentenceStart = true;
        while (text.size() < target) {
            text += element(sentenceStart);
            sentenceStart = false;
            if (pick(7) == 0) {
                static const char* const stops[] = {".", ",", ".", "!", "?", ":", ";", "\u2026", ".\u201C"};
                text += stops[pick(std::size(stops))];
                sentenceStart = text.back() != ',';
            }
            text += separator();
        }
        return cp1252::fromUtf8(text);
    }

private:
    size_t pick(size_t n) { return random_() % n; }

    std::string word(bool capital) {
        static const char* const words[] = {
            "der",      "die",        "das",      "und",      "nicht",          "für",
            "über",     "Straße",     "Änderung", "Übung",    "größer",         "Geschäftsführer",
            "Rechnung", "Betrag",     "Kunde",    "Vertrag",  "Frühjahr",       "Mitarbeiterinnen",
            "bitte",    "wird",       "können",   "müssen",   "Öffnungszeiten", "Nord-Süd",
            "E-Mail",   "Kfz-Steuer", "heute",    "Bahnhof",  "Büro",           "Maßnahme",
            "Gemeinde", "schön",      "Qualität", "Lieferung"};
        std::string w = words[pick(std::size(words))];
        if (capital && w[0] >= 'a' && w[0] <= 'z') w[0] = static_cast<char>(w[0] - 32);
        return w;
    }

    std::string number(int digits) {
        std::string n = std::to_string(1 + pick(9));
        for (int i = 1; i < digits; ++i) n += static_cast<char>('0' + pick(10));
        return n;
    }

    std::string price() {
        std::string euros = number(1 + static_cast<int>(pick(7)));
        for (int at = static_cast<int>(euros.size()) - 3; at > 0; at -= 3) euros.insert(static_cast<size_t>(at), ".");
        const std::string cents = std::to_string(10 + pick(90));
        switch (pick(4)) {
            case 0: return euros + "," + cents + "\u00A0\u20AC";
            case 1: return "\u20AC " + euros + "," + cents;
            case 2: return euros + ",\u2013 \u20AC";
            default: return euros + "," + cents + " \u20AC";
        }
    }

    std::string element(bool sentenceStart) {
        switch (pick(40)) {
            case 0: return "\u201E" + word(true) + " " + word(false) + "\u201C";
            case 1: return "\u201A" + word(false) + "\u2018";
            case 2: return "\u00BB" + word(true) + "\u00AB";
            case 3: return price();
            case 4: return std::to_string(1 + pick(28)) + "." + std::to_string(1 + pick(12)) + "." + number(4);
            case 5: return std::to_string(pick(24)) + ":" + std::to_string(10 + pick(50)) + " Uhr";
            case 6: return "https://www." + word(false) + "-beispiel.de/seite?id=" + number(3) + "&s=" + number(2);
            case 7: return "vorname.nachname@" + word(false) + "-firma.de";
            case 8: return pick(2) ? "z.\u00A0B." : "z. B.";
            case 9: return pick(2) ? "d. h." : "u. a.";
            case 10: return "\u2013";
            case 11: return "\u2014";
            case 12: return "(" + word(false) + ")";
            case 13: return "(siehe \u00A7\u00A0" + number(2) + " Abs. " + number(1) + ")";
            case 14: return number(2) + "\u00A0%";
            case 15: return number(1) + "," + number(1) + "%";
            case 16: return "\t";
            case 17: return "Grundst\u00FCcksverkehrsgenehmigungszust\u00E4ndigkeits\u00FCbertragungsverordnung";
            // Soft hyphens are rare in typed text; they come with text taken from elsewhere.
            case 18: return pick(50) == 0 ? "Silben\u00ADtrennung" : "Silbentrennung";
            case 19: return number(1 + static_cast<int>(pick(6)));
            case 20: return "Nr.\u00A0" + number(3);
            case 21: return "ca. " + number(2) + " km/h";
            case 22: return number(2) + " \u00B0C";
            case 23: return "\u00B1" + number(1) + "," + number(1);
            case 24: return number(2) + "\u00D7" + number(2);
            case 25: return "Marke\u2122";
            case 26: return "[" + number(1) + "]";
            case 27: return "\"" + word(false) + "\"";
            case 28: return "'" + word(false) + "'";
            case 29: return "S." + number(2) + "f.";
            case 30: return "1.000.000";
            case 31: return "Tel. 0" + number(3) + "/" + number(6);
            default: return word(sentenceStart || pick(4) == 0);
        }
    }

    std::string separator() {
        switch (pick(30)) {
            case 0: return "  ";
            case 1: return "\t";
            case 2: return " \u2013 ";
            case 3: return "/";
            case 4: return "-";
            default: return " ";
        }
    }

    std::mt19937 random_;
};

}  // namespace

std::string generateGermanText(size_t bytes, unsigned seed) {
    GermanPieces pieces(seed);
    std::string text;
    text.reserve(bytes + 1024);
    while (text.size() < bytes) {
        text += pieces.paragraph();
        text += "\r\n";
    }
    return text;
}

}  // namespace korvex::bench
