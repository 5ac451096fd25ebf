#include "corpus.h"

#include <random>

namespace korvex::bench {

std::string generateProse(size_t bytes) {
    // Windows-1252: \xE4 ä, \xF6 ö, \xFC ü, \xDF ß, \xC4 Ä, \xDC Ü.
    static const char* const words[] = {"der",
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
    static const char* const endings[] = {".", ",", ".", ";", ":", "!", "?", ","};
    std::mt19937 random(2024);
    std::string text;
    text.reserve(bytes + 256);
    while (text.size() < bytes) {
        const size_t target = 60 + random() % 141;
        const size_t start = text.size();
        bool sentenceStart = true;
        while (text.size() - start < target) {
            std::string word = words[random() % std::size(words)];
            if (sentenceStart && word[0] >= 'a' && word[0] <= 'z') word[0] = static_cast<char>(word[0] - 32);
            text += word;
            sentenceStart = false;
            if (random() % 6 == 0) {
                text += endings[random() % std::size(endings)];
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

}  // namespace korvex::bench
