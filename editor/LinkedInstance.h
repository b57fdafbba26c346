// What our own hosts reach of an instance of the plug-in code linked into their program,
// beside the format interface they drive it through: the state it publishes for its editor,
// and its editor while one is open. The format's shell answers it for its own instances.
#pragma once

class PublishedState;
class SDEditor;

struct LinkedInstance
{
    PublishedState* published = nullptr;
    SDEditor* editor = nullptr; // while open
};

// The instance behind the object the format's record carries (VST 2.4: AEffect::object).
LinkedInstance linkedInstance(void* instanceObject);
