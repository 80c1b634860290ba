#pragma once

#include <QString>
#include <QStringList>

// Emulator arguments and expected transcripts written compactly in tests.

// "--model 0x41 --head 2" -> {"--model", "0x41", "--head", "2"}.
inline QStringList args(const QString& line) {
    return line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// "H 37 I 37" -> {"H 37", "I 37"}: the transcript's byte lines.
inline QStringList dialogue(const QString& text) {
    const QStringList tokens = args(text);
    QStringList lines;
    for (qsizetype i = 0; i + 1 < tokens.size(); i += 2)
        lines << tokens[i] + QLatin1Char(' ') + tokens[i + 1];
    return lines;
}
