#include "ui/file_selection.h"

#include <algorithm>
#include <set>

#include "ui/paths.h"
#include "ui/texts.h"

namespace vexmora {
namespace {

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

// A folder's path and a name in it, with the separator the folder's path already uses.
std::u16string Join(std::u16string_view folder, std::u16string_view name) {
    std::u16string path(folder);
    if (!path.empty() && !IsSeparator(path.back())) {
        const std::size_t last = path.find_last_of(u"\\/");
        path += last == std::u16string::npos ? u'\\' : path[last];
    }
    path += name;
    return path;
}

// The last part of a path, trailing separators aside ("C:\Photos\" -> "Photos").
std::u16string_view NameOf(std::u16string_view path) {
    while (path.size() > 1 && IsSeparator(path.back())) {
        path.remove_suffix(1);
    }
    const std::size_t last = path.find_last_of(u"\\/");
    return last == std::u16string_view::npos ? path : path.substr(last + 1);
}

struct Found {
    std::vector<std::u16string> plain;
    std::vector<std::u16string> containers;
    void Add(std::u16string path) {
        (IsContainerName(path) ? containers : plain).push_back(std::move(path));
    }
};

// Walks with a list of folders still to visit rather than by recursion: a deep tree must not
// exhaust the stack.
void Walk(FileSystem& disk, const std::u16string& root, std::set<FileIdentity>& entered,
          Found& found) {
    std::vector<std::u16string> pending{root};
    while (!pending.empty()) {
        const std::u16string folder = std::move(pending.back());
        pending.pop_back();
        std::optional<std::vector<FolderEntry>> entries = disk.ListFolder(folder);
        if (!entries) {
            continue;  // unreadable below the top: its files are not offered
        }
        std::sort(entries->begin(), entries->end(),
                  [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
        std::vector<std::u16string> subfolders;
        for (const FolderEntry& entry : *entries) {
            std::u16string path = Join(folder, entry.name);
            if (entry.kind == EntryKind::File) {
                found.Add(std::move(path));
            } else if (entry.kind == EntryKind::Folder) {
                // A folder whose identity cannot be had could be a loop: not entered.
                const std::optional<FileIdentity> identity = disk.IdentityOf(path);
                if (identity && entered.insert(*identity).second) {
                    subfolders.push_back(std::move(path));
                }
            }
        }
        // Taken from the back: the first subfolder is walked first.
        pending.insert(pending.end(), subfolders.rbegin(), subfolders.rend());
    }
}

std::u16string Count(std::size_t n) {
    const std::string digits = std::to_string(n);
    std::u16string text(digits.begin(), digits.end());
    text += u' ';
    text += n == 1 ? texts::kPromptFile : texts::kPromptFiles;
    return text;
}

}  // namespace

bool AllFilesOrFolders(FileSystem& disk, std::span<const std::u16string> paths) {
    return !paths.empty() && std::all_of(paths.begin(), paths.end(), [&](const auto& path) {
        const PathKind kind = disk.KindOf(path);
        return kind == PathKind::RegularFile ||
               (kind == PathKind::Other && disk.ListFolder(path).has_value());
    });
}

std::optional<FileSelection> SelectFiles(FileSystem& disk, std::span<const std::u16string> paths) {
    if (paths.empty()) {
        return std::nullopt;
    }
    Found found;
    std::set<FileIdentity> entered;
    std::size_t folders = 0;
    for (const std::u16string& path : paths) {
        const PathKind kind = disk.KindOf(path);
        if (kind == PathKind::RegularFile) {
            found.Add(path);
            continue;
        }
        const std::optional<FileIdentity> identity = disk.IdentityOf(path);
        if (kind != PathKind::Other || !identity || !disk.ListFolder(path)) {
            return std::nullopt;
        }
        ++folders;
        if (entered.insert(*identity).second) {
            Walk(disk, path, entered, found);
        }
    }

    FileSelection selection;
    selection.paths.assign(paths.begin(), paths.end());
    selection.direction = found.plain.empty() && !found.containers.empty() ? kDecrypt : kEncrypt;
    // A file given twice (by two processes of one selection) is one job.
    std::set<std::u16string> taken;
    for (std::u16string& file : selection.direction == kEncrypt ? found.plain : found.containers) {
        if (taken.insert(file).second) {
            selection.files.push_back(std::move(file));
        }
    }
    std::u16string& caption = selection.caption;
    caption = selection.direction == kEncrypt ? texts::kPromptEncrypt : texts::kPromptDecrypt;
    caption += u' ';
    if (paths.size() == 1 && folders == 1) {
        caption += texts::kPromptTheFolder;
        caption += u' ';
        caption += NameOf(paths.front());
        caption += u" (" + Count(selection.files.size()) + u")";
    } else if (folders == 0 && selection.files.size() == 1) {
        caption += NameOf(selection.files.front());
    } else {
        caption += Count(selection.files.size());
    }
    return selection;
}

}  // namespace vexmora
