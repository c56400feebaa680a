#include "tests/support/dialog_template.h"

#include <cstring>

namespace {

// A cursor over the template's 16-bit words that refuses to read past its end.
class WordReader {
public:
    WordReader(const BYTE* data, std::size_t size) : data_(data), size_(size) {}

    bool Ok() const { return ok_; }
    WORD Word() {
        WORD value = 0;
        Read(&value, sizeof value);
        return value;
    }
    DWORD Dword() {
        DWORD value = 0;
        Read(&value, sizeof value);
        return value;
    }
    short Short() { return static_cast<short>(Word()); }
    // A zero-terminated UTF-16 string.
    std::wstring String() {
        std::wstring text;
        for (WORD c = Word(); ok_ && c != 0; c = Word())
            text += static_cast<wchar_t>(c);
        return text;
    }
    // A string or an ordinal (0xFFFF followed by a number), as in class and text fields.
    std::wstring StringOrOrdinal(WORD& ordinal) {
        ordinal = 0;
        const WORD first = Word();
        if (first == 0xFFFF) {
            ordinal = Word();
            return {};
        }
        if (first == 0)
            return {};
        std::wstring text(1, static_cast<wchar_t>(first));
        return text + String();
    }
    void AlignToDword() {
        while (ok_ && offset_ % 4 != 0)
            ++offset_;
    }
    void Skip(std::size_t bytes) {
        if (offset_ + bytes > size_) {
            ok_ = false;
            return;
        }
        offset_ += bytes;
    }

private:
    void Read(void* out, std::size_t bytes) {
        if (!ok_ || offset_ + bytes > size_) {
            ok_ = false;
            return;
        }
        std::memcpy(out, data_ + offset_, bytes);
        offset_ += bytes;
    }

    const BYTE* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
    bool ok_ = true;
};

std::string AtomClassName(WORD atom) {
    switch (atom) {
    case 0x0080:
        return "Button";
    case 0x0081:
        return "Edit";
    case 0x0082:
        return "Static";
    case 0x0083:
        return "ListBox";
    case 0x0084:
        return "ScrollBar";
    case 0x0085:
        return "ComboBox";
    default:
        return "#" + std::to_string(atom);
    }
}

std::string CanonicalClassName(const std::string& name) {
    static const char* const known[] = {"Button",  "Edit",      "Static",
                                        "ListBox", "ScrollBar", "ComboBox"};
    for (const char* candidate : known) {
        if (lstrcmpiA(candidate, name.c_str()) == 0)
            return candidate;
    }
    return name;
}

} // namespace

std::string ToUtf8(const wchar_t* text, int length) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string bytes(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, bytes.data(), size, nullptr, nullptr);
    if (length < 0 && !bytes.empty() && bytes.back() == '\0')
        bytes.pop_back();
    return bytes;
}

std::optional<DialogTemplateInfo> ReadDialogTemplate(HMODULE module, int id) {
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
    if (resource == nullptr)
        return std::nullopt;
    HGLOBAL loaded = LoadResource(module, resource);
    const BYTE* data = static_cast<const BYTE*>(LockResource(loaded));
    const DWORD size = SizeofResource(module, resource);
    if (data == nullptr || size < 18)
        return std::nullopt;
    WordReader reader(data, size);

    DialogTemplateInfo dialog;
    dialog.Style = reader.Dword();
    // An extended template starts with 1, 0xFFFF; only the classic form is read here.
    if (LOWORD(dialog.Style) == 1 && HIWORD(dialog.Style) == 0xFFFF)
        return std::nullopt;
    dialog.ExStyle = reader.Dword();
    const WORD count = reader.Word();
    dialog.X = reader.Short();
    dialog.Y = reader.Short();
    dialog.Width = reader.Short();
    dialog.Height = reader.Short();
    WORD ordinal = 0;
    reader.StringOrOrdinal(ordinal); // menu
    reader.StringOrOrdinal(ordinal); // window class
    dialog.Caption = ToUtf8(reader.String().c_str());
    if (dialog.Style & DS_SETFONT) {
        dialog.FontSize = reader.Word();
        dialog.FontName = ToUtf8(reader.String().c_str());
    }

    for (WORD i = 0; i < count && reader.Ok(); ++i) {
        reader.AlignToDword();
        DialogItemTemplate item;
        item.Style = reader.Dword();
        item.ExStyle = reader.Dword();
        item.X = reader.Short();
        item.Y = reader.Short();
        item.Width = reader.Short();
        item.Height = reader.Short();
        item.Id = reader.Word();
        WORD classAtom = 0;
        const std::wstring className = reader.StringOrOrdinal(classAtom);
        item.ClassName = classAtom != 0 ? AtomClassName(classAtom)
                                        : CanonicalClassName(ToUtf8(className.c_str()));
        WORD textOrdinal = 0;
        const std::wstring text = reader.StringOrOrdinal(textOrdinal);
        item.Text = textOrdinal != 0 ? "#" + std::to_string(textOrdinal) : ToUtf8(text.c_str());
        const WORD extra = reader.Word();
        reader.Skip(extra);
        dialog.Items.push_back(item);
    }
    if (!reader.Ok())
        return std::nullopt;
    return dialog;
}
