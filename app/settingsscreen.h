#pragma once

#include <QByteArray>

// Limits on a settings file, checked before the DOM parser sees it: entity
// declarations, deep nesting and sheer size can otherwise exhaust memory or the
// stack inside the parser.
constexpr qint64 kMaxSettingsBytes = 1 << 20;
constexpr int kMaxSettingsDepth = 64;

// True when the document stays within the limits. Malformed XML passes: the
// parser itself rejects it.
bool settingsScreenPasses(const QByteArray &document);
