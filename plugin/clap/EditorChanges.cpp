#include "plugin/clap/EditorChanges.h"

void EditorChanges::changed(int index)
{
    if (isIndex(index))
        changed_.fetch_or(1u << index, std::memory_order_release);
}

void EditorChanges::gestureBegins(int index)
{
    if (!isIndex(index))
        return;
    held_[index].store(true, std::memory_order_release);
    begins_[index].fetch_add(1, std::memory_order_release);
}

void EditorChanges::gestureEnds(int index)
{
    if (isIndex(index))
        held_[index].store(false, std::memory_order_release);
}
