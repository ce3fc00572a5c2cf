#pragma once

// Thrown, as a pointer to a newly allocated object, when a light is built while
// every light number is taken. Carries nothing: the type alone tells the story.
class LightError
{
};
