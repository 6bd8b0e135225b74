# The two commands of the README:
#   make test   set up, build the sanitized debug build, run every test,
#               then the many-threads tests in the ThreadSanitizer build
#   make run    set up, build the release library, run the main job
BUILD_DEBUG ?= build/debug
BUILD_RELEASE ?= build/release
BUILD_TSAN ?= build/tsan
JOBS ?= $(shell nproc)

# Lets ccache share results between clones and build folders.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1

.PHONY: all setup test test-threads run clean

all: test

setup:
	@./scripts/setup

test: setup
	cmake -S . -B $(BUILD_DEBUG) -G Ninja -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(BUILD_DEBUG) -j $(JOBS)
	ctest --test-dir $(BUILD_DEBUG) -j $(JOBS) --output-on-failure
	$(MAKE) test-threads

# The tests of one engine shared by many threads and of the lexicon build on
# several threads, in a ThreadSanitizer build of only what they link (and
# the test language they read).
test-threads: setup
	cmake -S . -B $(BUILD_TSAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKAVERO_SANITIZE=OFF \
	  -DKAVERO_TSAN=ON -DKAVERO_BUILD_BENCHMARKS=OFF
	cmake --build $(BUILD_TSAN) -j $(JOBS) --target engine_tests kavero_testdata compiler_backend_tests
	cd $(BUILD_TSAN) && TSAN_OPTIONS=halt_on_error=1 ./engine_tests --gtest_filter='EngineThreads.*'
	cd $(BUILD_TSAN) && TSAN_OPTIONS=halt_on_error=1 ./compiler_backend_tests \
	  --gtest_filter='LexiconBuild.EveryThreadCountGivesTheSameRecords:LexiconBuild.NeverMoreBuildersThanThreads'

# The main job needs the library, its analysis tool and the test language,
# which is compiled from text by the project's own tools (so the release
# build is configured with them, but only these targets are built).
run: setup
	cmake -S . -B $(BUILD_RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release -DKAVERO_BUILD_TESTS=ON
	cmake --build $(BUILD_RELEASE) -j $(JOBS) --target kavero kavero-analyze kavero_testdata
	@./scripts/main-job $(BUILD_RELEASE)

clean:
	rm -rf build
