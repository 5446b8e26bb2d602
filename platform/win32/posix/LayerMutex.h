// The mutex of the layer's shared tables. Their holds are short (a lookup or an update of a hash
// table), while a run's threads take them thousands of times a second: a waiter spins briefly
// before it sleeps, where a plain mutex would put it to sleep at once.
#pragma once

#include <pthread.h>

namespace tessaly::win32::detail {

class LayerMutex {
public:
    LayerMutex() {
        pthread_mutexattr_t attr;
        pthread_mutexattr_init(&attr);
        pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_ADAPTIVE_NP);
        pthread_mutex_init(&m_mutex, &attr);
        pthread_mutexattr_destroy(&attr);
    }
    ~LayerMutex() { pthread_mutex_destroy(&m_mutex); }
    LayerMutex(const LayerMutex&) = delete;
    LayerMutex& operator=(const LayerMutex&) = delete;

    void lock() { pthread_mutex_lock(&m_mutex); }
    bool try_lock() { return pthread_mutex_trylock(&m_mutex) == 0; }
    void unlock() { pthread_mutex_unlock(&m_mutex); }

private:
    pthread_mutex_t m_mutex;
};

} // namespace tessaly::win32::detail
