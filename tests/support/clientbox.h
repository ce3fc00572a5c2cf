#pragma once

// The client's message boxes as a user sees them: one title for every error,
// and the text of each.
namespace clientbox
{

constexpr char kTitle[] = "Client error";
constexpr char kSettingsRefused[] = "Unable to load the file clientSttings.xml!";
constexpr char kServerUnreachable[] = "Could not connect to the server!";
constexpr char kConnectionLost[] = "Server-connection lost!";

} // namespace clientbox
