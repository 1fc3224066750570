#include "codec/message_buffer.h"

#include "value/library_object.h"

#include <cstdlib>
#include <memory>
#include <new>

namespace {

void free_library_block(unsigned char* block) { delete[] block; }
void free_malloc_block(unsigned char* block) { std::free(block); }
void keep_block(unsigned char*) {}

// How the buffer gives a block back, by its mode.
using Block = std::unique_ptr<unsigned char[], void (*)(unsigned char*)>;

Block hold_block(unsigned char* data, pmc_long mode) {
    if (mode == PMS_BUFFER_LIBRARY) return Block(data, free_library_block);
    if (mode == PMS_BUFFER_MALLOC) return Block(data, free_malloc_block);
    return Block(data, keep_block);
}

class CPmsMessageBuffer final : public IPmsMessageBuffer, private PmcNoCopy {
public:
    void release() override { delete this; }

    void attach(unsigned char* data, pmc_ulong size, pmc_long mode) override {
        free_block();
        block_ = hold_block(data, mode);
        start_ = data;
        size_ = data != nullptr ? size : 0;
        capacity_ = size_;
        mode_ = mode;
        current_ = start_;
    }

    unsigned char* detach(pmc_ulong* size) override {
        unsigned char* block = block_.release();
        if (size != nullptr) *size = size_;
        forget();
        return block;
    }

    void free_data() override { free_block(); }

    unsigned char* data() override { return start_; }
    const unsigned char* data() const override { return start_; }
    pmc_ulong size() const override { return size_; }

    bool allocate(pmc_ulong n) override {
        // A library block that is already large enough is kept: the session
        // encodes into the same buffer on every try.
        if (mode_ == PMS_BUFFER_LIBRARY && start_ != nullptr && capacity_ >= n) {
            size_ = n;
            current_ = start_;
            return true;
        }
        free_block();
        if (n == 0) return true;
        try {
            block_ = Block(std::make_unique<unsigned char[]>(n).release(), free_library_block);
        } catch (const std::bad_alloc&) {
            return false;
        }
        start_ = block_.get();
        size_ = n;
        capacity_ = n;
        mode_ = PMS_BUFFER_LIBRARY;
        current_ = start_;
        return true;
    }

    unsigned char* current() override { return current_; }

    void seek(pmc_ulong offset) override { current_ = start_ + (offset < size_ ? offset : size_); }

    pmc_ulong remaining() const override {
        return static_cast<pmc_ulong>(start_ + size_ - current_);
    }

private:
    void free_block() {
        block_.reset();
        forget();
    }
    void forget() {
        block_ = Block(nullptr, keep_block);
        start_ = nullptr;
        current_ = nullptr;
        size_ = 0;
        capacity_ = 0;
        mode_ = PMS_BUFFER_LIBRARY;
    }

    Block block_{nullptr, keep_block};
    unsigned char* start_ = nullptr;  // block_'s start, kept for the lent views
    unsigned char* current_ = nullptr;
    pmc_ulong size_ = 0;
    pmc_ulong capacity_ = 0;
    pmc_long mode_ = PMS_BUFFER_LIBRARY;
};

}  // namespace

IPmsMessageBuffer* create_message_buffer(pmc_long* status) {
    return pmc_new_object<CPmsMessageBuffer>(status);
}
