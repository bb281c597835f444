#include "core/text_file.h"

#include "core/fault.h"
#include "core/replacing_file.h"

namespace tvx {

bool write_file_whole(const std::filesystem::path& target, const std::string& text) {
    try {
        ReplacingFile file(target);
        file.stream() << text;
        file.commit();
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

}  // namespace tvx
