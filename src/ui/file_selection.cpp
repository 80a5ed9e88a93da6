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

// Walks with a list of folders still to visit rather than by recursion: a deep tree must not
// exhaust the stack.
void Walk(FileSystem& disk, const std::u16string& root, std::set<FileIdentity>& entered,
          FoundFiles& found) {
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
            if (entry.hiddenSystem) {
                continue;  // desktop.ini, Thumbs.db: the system's, and they decide nothing
            }
            std::u16string path = Join(folder, entry.name);
            if (entry.kind == EntryKind::File) {
                const bool container = IsContainerName(path);
                found.files.push_back({{std::move(path), entry.size}, container, false});
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

std::u16string Count(std::size_t n, std::u16string_view one = texts::kPromptFile,
                     std::u16string_view many = texts::kPromptFiles) {
    const std::string digits = std::to_string(n);
    std::u16string text(digits.begin(), digits.end());
    text += u' ';
    text += n == 1 ? one : many;
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

FoundFiles WalkPaths(FileSystem& disk, std::span<const std::u16string> paths) {
    FoundFiles found;
    std::set<FileIdentity> entered;
    for (const std::u16string& path : paths) {
        found.paths.push_back(path);
        const PathKind kind = disk.KindOf(path);
        if (kind == PathKind::RegularFile) {
            found.files.push_back({{path, -1}, IsContainerName(path), true});
            continue;
        }
        const std::optional<FileIdentity> identity = disk.IdentityOf(path);
        if (kind != PathKind::Other || !identity || !disk.ListFolder(path)) {
            found.gone.push_back(path);
            continue;
        }
        ++found.folders;
        if (entered.insert(*identity).second) {
            Walk(disk, path, entered, found);
        }
    }
    return found;
}

void Merge(FoundFiles& into, FoundFiles more) {
    const auto append = [](auto& to, auto& from) {
        to.insert(to.end(), std::make_move_iterator(from.begin()),
                  std::make_move_iterator(from.end()));
    };
    append(into.paths, more.paths);
    append(into.files, more.files);
    append(into.gone, more.gone);
    into.folders += more.folders;
}

FileSelection Decide(const FoundFiles& found, std::optional<Direction> chosen) {
    FileSelection selection;
    selection.paths = found.paths;
    const bool anyPlain = std::any_of(found.files.begin(), found.files.end(),
                                      [](const FoundFile& file) { return !file.container; });
    selection.direction = chosen                              ? *chosen
                          : !anyPlain && !found.files.empty() ? kDecrypt
                                                              : kEncrypt;
    const bool wantContainers = selection.direction == kDecrypt;
    // A file given twice (by two processes of one selection) is one job.
    std::set<std::u16string> taken;
    for (const FoundFile& found_file : found.files) {
        const bool fits = found_file.container == wantContainers || (chosen && found_file.given);
        if (fits && taken.insert(found_file.file.path).second) {
            selection.files.push_back(found_file.file);
        }
    }
    const std::u16string_view verb =
        selection.direction == kEncrypt ? texts::kPromptEncrypt : texts::kPromptDecrypt;
    const std::size_t walked = found.paths.size() - found.gone.size();
    std::u16string& caption = selection.caption;
    caption = std::u16string(verb) + u' ';
    if (walked == 1 && found.folders == 1) {
        caption += texts::kPromptTheFolder;
        caption += u' ';
        caption += NameOf(found.paths.front());
        caption += u" (" + Count(selection.files.size()) + u")";
    } else if (found.folders == 0 && selection.files.size() == 1) {
        caption += NameOf(selection.files.front().path);
    } else {
        caption += Count(selection.files.size());
    }
    if (selection.files.empty()) {
        // Where there was nothing: the folder or file by its name, else how many were selected.
        std::u16string where;
        if (walked == 1) {
            const auto given = std::find_if(
                found.paths.begin(), found.paths.end(), [&](const std::u16string& path) {
                    return std::find(found.gone.begin(), found.gone.end(), path) ==
                           found.gone.end();
                });
            where = NameOf(*given);
        } else {
            where = Count(walked == 0 ? found.paths.size() : walked, texts::kNothingItem,
                          texts::kNothingItems);
        }
        selection.nothingToDo =
            std::u16string(selection.direction == kEncrypt ? texts::kNothingToEncrypt
                                                           : texts::kNothingToDecrypt) +
            where;
    }
    return selection;
}

std::optional<FileSelection> SelectFiles(FileSystem& disk, std::span<const std::u16string> paths,
                                         std::optional<Direction> chosen) {
    if (paths.empty()) {
        return std::nullopt;
    }
    const FoundFiles found = WalkPaths(disk, paths);
    if (!found.gone.empty()) {
        return std::nullopt;
    }
    return Decide(found, chosen);
}

}  // namespace vexmora
