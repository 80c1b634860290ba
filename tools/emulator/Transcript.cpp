#include "Transcript.h"

#include <QFile>

Transcript::~Transcript() {
    if (m_file)
        std::fclose(m_file);
}

bool Transcript::open(const QString& path) {
    m_file = std::fopen(QFile::encodeName(path).constData(), "w");
    return m_file != nullptr;
}

void Transcript::write(char direction, std::uint8_t b) {
    if (!m_file)
        return;
    std::fprintf(m_file, "%c %02X\n", direction, b);
    std::fflush(m_file);
}

void Transcript::summary(int wrongEchoes, int abandonedReplies) {
    if (!m_file)
        return;
    std::fprintf(m_file, "summary wrong-echoes=%d abandoned=%d\n", wrongEchoes, abandonedReplies);
    std::fflush(m_file);
}
