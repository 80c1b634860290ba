#pragma once

#include <QString>

#include <cstdint>
#include <cstdio>

// Every byte on the line, one per line: "H xx" host to instrument, "I xx" instrument
// to host. Flushed per line so that a reader sees the dialogue as it happens.
class Transcript {
public:
    Transcript() = default;
    ~Transcript();
    Transcript(const Transcript&) = delete;
    Transcript& operator=(const Transcript&) = delete;

    bool open(const QString& path);
    void hostByte(std::uint8_t b) { write('H', b); }
    void instrumentByte(std::uint8_t b) { write('I', b); }
    void summary(int wrongEchoes, int abandonedReplies);

private:
    void write(char direction, std::uint8_t b);

    std::FILE* m_file = nullptr;
};
