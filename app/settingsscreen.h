#pragma once

#include <QByteArray>
#include <QString>

// Limits on a settings file, checked before the DOM parser sees it: entity
// declarations, deep nesting and sheer size can otherwise exhaust memory or the
// stack inside the parser.
constexpr qint64 kMaxSettingsBytes = 1 << 20;
constexpr int kMaxSettingsDepth = 64;

// Empty when the document stays within the limits; otherwise which one it
// breaks, in a few words for a message: "larger than 1048576 bytes",
// "elements nested deeper than 64 levels" or "it declares entities".
// Malformed XML passes: the parser itself rejects it.
QString settingsScreenRefusal(const QByteArray &document);
