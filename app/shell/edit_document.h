// Saving a text window's text and deciding whether the window may close.
// Each window keeps the name it was last saved under (a new window has none);
// the directory of the last Save As is shared by all text windows.
#pragma once

#include <string>

#include "app/shell/edit_slots.h"
#include "tifs/ui.h"

namespace kestrel
{

// What the save logic needs of a text window.
class EditText
{
public:
    virtual ~EditText() = default;
    // The whole text as the window holds it, with CR LF line ends.
    virtual std::string Text() const = 0;
    virtual bool Modified() const = 0;
    virtual void SetModified(bool modified) = 0;
    virtual void SetCaption(const std::string &caption) = 0;
};

// Save As's proposal from the slot's TI name: up to 10 characters, ending at
// the first space, each of " * / : < > ? \ | replaced by '@', then ".txt".
std::string DefaultSaveAsName(const std::string &slotName);

// "Save current changes? %s" with the window's file name.
std::string SaveQuestionText(const std::string &fileName);

// The directory Save As starts in: the last one chosen, initially the
// current directory.
std::string &SaveDirectory();

// Writes text to path byte for byte. An existing file is replaced only once
// the new text is complete. Message 5 "Can't write to file <%s>" and false
// on any failure.
bool WriteEditText(const std::string &path, const std::string &text, Ui &ui);

// Writes the window's text to path; clears the modified flag on success.
bool SaveEditText(EditText &window, const std::string &path, Ui &ui);

enum class SaveAsResult { Cancelled, Written, WriteFailed };

// The "Save as" chooser, starting in the save directory with the slot's
// default name. On a chosen name the text is written there; on success the
// name becomes the slot's file name and the caption "Kestrel - <name>", on
// failure the slot keeps its previous name. The chosen directory becomes the
// save directory either way. A name that is no file gives message 16.
SaveAsResult SaveEditAs(EditText &window, EditSlot &slot, Ui &ui);

// Asking to save on close: true when the window may close. An unmodified
// text closes. Otherwise Yes, No or Cancel on "Save current changes? <name>":
// No closes; Cancel keeps the window; Yes writes to the slot's file name, or
// runs Save As when it has none, and closes only once the text was written,
// so a cancelled chooser or a failed write (message 5) keeps the window open
// and modified.
bool QueryCloseEdit(EditText &window, EditSlot &slot, Ui &ui);

} // namespace kestrel
