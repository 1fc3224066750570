#include "log/log_writer_factory.h"

#include <new>

#include "log/log_iid.h"

CPmcLogWriterFactory* CPmcLogWriterFactory::create(const char* type, IPmcLogWriter* null_writer,
                                                   MakeWriter make) {
    try {
        return new CPmcLogWriterFactory(type, null_writer, make);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

pmc_long CPmcLogWriterFactory::query_interface(const char* iid, void** out) {
    return pmc_log_query(static_cast<IPmcLogObject*>(this), iid, out,
                         [](const char* id) { return pmc_log_iid_is(id, PMC_IID_LOG_OBJECT); });
}

pmc_ulong CPmcLogWriterFactory::add_ref() { return refs_.add(); }

pmc_ulong CPmcLogWriterFactory::release() {
    pmc_ulong left = refs_.drop();
    if (left == 0) delete this;
    return left;
}

const char* CPmcLogWriterFactory::get_type_name() { return type_.c_str(); }

IPmcLogWriter* CPmcLogWriterFactory::create_writer(const char* target, pmc_long* status) {
    pmc_long result = PMC_S_OK;
    IPmcLogWriter* writer = nullptr;
    if (target == nullptr || *target == '\0') {
        result = PMC_E_INVALID_ARG;
    } else {
        writer = make_(target);
        if (writer == nullptr) result = PMC_E_NO_MEMORY;
    }
    if (status != nullptr) *status = result;
    return writer != nullptr ? writer : null_writer_;
}
