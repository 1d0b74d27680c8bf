#pragma once
// The configuration file: 650 bytes, "K71T-001", two unused bytes, registers
// 4000..4059 and 4300..4379 high byte first, 7600..7689 as floats low byte
// first.
#include "link/RegisterImage.h"

#include <QByteArray>
#include <QString>

namespace k71t {

constexpr int ConfigFileSize = 650;

QByteArray buildConfigFile(const RegisterImage &image);
// Copies the three blocks into the image when `bytes` is a configuration
// file; otherwise returns false and leaves the image as it was.
bool parseConfigFile(const QByteArray &bytes, RegisterImage &image);

// Appends ".k71t" unless the name holds ".k71t" (case-sensitive) from its
// second character on.
QString configFileName(const QString &name);

// Writes the image under configFileName(name); the previous file stays whole
// when the new one cannot be written. Returns the path written, or an empty
// string on failure (`error` says why).
QString saveConfigFile(const QString &name, const RegisterImage &image, QString *error = nullptr);

enum class ConfigLoad {
    Loaded,
    Missing, // no such file
    Invalid, // another size or header, or unreadable; the image is unchanged
};

// Loads a configuration file into the image.
ConfigLoad loadConfigFile(const QString &path, RegisterImage &image);

} // namespace k71t
