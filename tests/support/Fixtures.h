#pragma once
// Small content files written by the tests themselves.

#include <QColor>
#include <QString>

namespace pikora::test {

// A 24-bit bottom-up BMP of one colour.
void writeSolidBmp(const QString& path, int width, int height, QColor colour);

// A 16-bit PCM mono WAV holding a sine tone (frequency 0: silence).
void writeToneWav(const QString& path, int milliseconds, int frequency = 440, int rate = 22050);

void writeBytes(const QString& path, const QByteArray& bytes);

} // namespace pikora::test
