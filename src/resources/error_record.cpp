#include "resources/error_record.h"

namespace orvh {

ErrorRecord& CurrentError() {
    static ErrorRecord record;
    return record;
}

} // namespace orvh
