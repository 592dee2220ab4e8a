#pragma once
// The per-user settings key \Software\Quillmoor\Zarvex: named string values, an absent value
// told apart from an empty one. On Linux the key is QSettings("Quillmoor", "Zarvex"), the INI
// file Quillmoor/Zarvex.conf under $XDG_CONFIG_HOME (else ~/.config), looked up afresh at every
// opening so a changed XDG_CONFIG_HOME is honoured.
//
// Failures are silent: an unreadable or garbled file reads as absent values, a store that
// cannot be written loses the write. Close() tells whether the values reached the file. A key
// file that is, or links to, anything but a regular file (a FIFO, a device) is neither read
// nor written: every value reads as absent and Close() gives false.
#include <memory>
#include <string>
#include <string_view>

class TSettingsKey {
public:
    // Opens the key, creating it (an empty file) when it does not exist.
    TSettingsKey();
    ~TSettingsKey();  // closes
    TSettingsKey(const TSettingsKey&) = delete;
    TSettingsKey& operator=(const TSettingsKey&) = delete;

    // False, and value unchanged, when the value is absent.
    bool ReadString(std::string_view name, std::string& value) const;
    // Absent or empty gives defaultValue; otherwise see BoolOfText.
    bool ReadBool(std::string_view name, bool defaultValue) const;
    void WriteString(std::string_view name, std::string_view value);
    void WriteBool(std::string_view name, bool value);  // "1" or "0"

    // Writes what was written to the file. False when it could not be stored.
    bool Close();

    // Native path of the file behind the key.
    static std::string FilePath();

    // A stored boolean: a decimal integer (blanks around it allowed) means true when it is
    // not 0, at any length; empty text, or text that is no integer ("yes", "1.0"), gives
    // defaultValue, as an absent value does.
    static bool BoolOfText(std::string_view text, bool defaultValue);

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};
