#pragma once

// Thrown, as a pointer to a new object, when the settings file cannot be read,
// parsed or written. It carries no message: the caller chooses the words.
class SettingsError
{
};
