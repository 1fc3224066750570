// A host's view of the shared library: load it, find the PDU-list factory
// by name, use the list only through the public header.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <pmsnmp/pmsnmp.h>

namespace {

typedef IPmcPtrList<IPmsPdu>* (*CreatePduList)(pmc_long*);

class SharedLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        handle_ = dlopen(PMSNMP_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(nullptr, handle_) << dlerror();
    }
    void TearDown() override {
        if (handle_ != nullptr) dlclose(handle_);
    }
    void* handle_ = nullptr;
};

TEST_F(SharedLibraryTest, ExportedFactoryGivesAnEmptyList) {
    auto create = reinterpret_cast<CreatePduList>(dlsym(handle_, "pms_create_pdu_list"));
    ASSERT_NE(nullptr, create) << dlerror();

    pmc_long status = PMC_E_FAIL;
    IPmcPtrList<IPmsPdu>* list = create(&status);
    ASSERT_EQ(PMC_S_OK, status);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(0u, list->count());

    status = PMC_E_FAIL;
    PmcListIterator* it = list->create_iterator(&status);
    EXPECT_EQ(PMC_S_OK, status);
    ASSERT_NE(nullptr, it);
    EXPECT_EQ(nullptr, list->current(it));
    list->next(it);
    EXPECT_EQ(nullptr, list->current(it));
    list->release_iterator(it);
    EXPECT_EQ(PMC_S_OK, list->remove_front());
    list->release();

    // The status pointer is optional.
    list = create(nullptr);
    ASSERT_NE(nullptr, list);
    list->release();
}

TEST_F(SharedLibraryTest, InternalFactoriesStayHidden) {
    // create_pdu(pmc_long*), as the compiler names it.
    EXPECT_EQ(nullptr, dlsym(handle_, "_Z10create_pduPi"));
    EXPECT_EQ(nullptr, dlsym(handle_, "create_pdu"));
}

}  // namespace
