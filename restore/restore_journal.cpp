#include "restore/restore_journal.h"

#include <charconv>
#include <set>

namespace quorrel {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHeader = "Quorrel restore journal 2\n";
constexpr std::string_view kPlanned = "planned\n";
constexpr std::string_view kCommitted = "committed\n";
constexpr std::string_view kPlace = "place ";
constexpr std::string_view kEnd = "end\n";

std::string Bytes(const fs::path& name)
{
    const std::u8string utf8 = name.u8string();
    return std::string(utf8.begin(), utf8.end());
}

// Its length, a colon and the bytes.
void AppendCounted(std::string& text, std::string_view bytes)
{
    text += std::to_string(bytes.size());
    text += ':';
    text += bytes;
}

// Reads the journal front to back; every slip is a JournalUnreadable.
class Reader {
public:
    explicit Reader(std::string_view text) : rest_(text) {}

    bool Take(std::string_view expected)
    {
        if (!rest_.starts_with(expected)) {
            return false;
        }
        rest_.remove_prefix(expected.size());
        return true;
    }

    void Expect(std::string_view expected)
    {
        if (!Take(expected)) {
            throw JournalUnreadable("The journal is not whole");
        }
    }

    // Bytes written by AppendCounted, at most `longest` of them.
    std::string_view Counted(std::size_t longest)
    {
        std::size_t length = 0;
        const auto [end, error] =
            std::from_chars(rest_.data(), rest_.data() + rest_.size(), length);
        if (error != std::errc() || end == rest_.data()) {
            throw JournalUnreadable("The journal is not whole");
        }
        rest_.remove_prefix(static_cast<std::size_t>(end - rest_.data()));
        Expect(":");
        if (length > longest) {
            throw JournalUnreadable("The journal names a file that cannot exist");
        }
        if (length > rest_.size()) {
            throw JournalUnreadable("The journal is not whole");
        }
        const std::string_view bytes = rest_.substr(0, length);
        rest_.remove_prefix(length);
        return bytes;
    }

    fs::path Name()
    {
        const std::string_view bytes = Counted(kLongestName);
        try {
            return fs::path(std::u8string(bytes.begin(), bytes.end()));
        } catch (const std::exception&) {
            // Windows converts the name to UTF-16, which fails on bytes that are no UTF-8.
            throw JournalUnreadable("The journal names a file that cannot exist");
        }
    }

    bool AtEnd() const { return rest_.empty(); }

private:
    std::string_view rest_;
};

// A single name inside the save folder: never a folder part, never "." or "..".
bool IsPlainName(const fs::path& name)
{
    const std::string bytes = Bytes(name);
    return !bytes.empty() && bytes != "." && bytes != ".." &&
           bytes.find_first_of(std::string_view("/\\\0", 3)) == std::string::npos;
}

// Temporary names are hidden; recovery never removes a name of the player's for one.
bool IsTemporaryName(const fs::path& name)
{
    return IsPlainName(name) && Bytes(name).front() == '.';
}

}  // namespace

bool IsJournalName(std::string_view name)
{
    return name.starts_with(kJournalName);
}

std::string EncodeJournal(const RestoreJournal& journal)
{
    std::string text(kHeader);
    text += journal.committed ? kCommitted : kPlanned;
    for (const Placement& file : journal.placements) {
        text += kPlace;
        AppendCounted(text, Bytes(file.target));
        text += ' ';
        AppendCounted(text, Bytes(file.staged));
        text += ' ';
        AppendCounted(text, Bytes(file.aside));
        text += ' ';
        AppendCounted(text, file.stamp);
        text += '\n';
    }
    text += kEnd;
    return text;
}

RestoreJournal DecodeJournal(std::string_view text)
{
    Reader reader(text);
    RestoreJournal journal;
    reader.Expect(kHeader);
    journal.committed = reader.Take(kCommitted);
    if (!journal.committed) {
        reader.Expect(kPlanned);
    }
    std::set<fs::path> names;
    while (reader.Take(kPlace)) {
        if (journal.placements.size() == kMostPlacements) {
            throw JournalUnreadable("The journal names more files than a restore puts in place");
        }
        Placement& file = journal.placements.emplace_back();
        file.target = reader.Name();
        reader.Expect(" ");
        file.staged = reader.Name();
        reader.Expect(" ");
        file.aside = reader.Name();
        reader.Expect(" ");
        file.stamp = reader.Counted(kLongestStamp);
        reader.Expect("\n");
        if (!IsPlainName(file.target) || !IsTemporaryName(file.staged) ||
            (!file.aside.empty() && !IsTemporaryName(file.aside))) {
            throw JournalUnreadable("The journal names a file outside the save folder");
        }
        // One file for one purpose, and never the journal itself.
        for (const fs::path& name : {file.target, file.staged, file.aside}) {
            if (!name.empty() && (!names.insert(name).second || IsJournalName(Bytes(name)))) {
                throw JournalUnreadable("The journal names one file twice");
            }
        }
    }
    reader.Expect(kEnd);
    if (!reader.AtEnd()) {
        throw JournalUnreadable("The journal is not whole");
    }
    return journal;
}

}  // namespace quorrel
