# The two commands of the README:
#   make test   set up, build the sanitized debug build, run every test
#   make run    set up, build the release library, run the main job
BUILD_DEBUG ?= build/debug
BUILD_RELEASE ?= build/release
JOBS ?= $(shell nproc)

# Lets ccache share results between clones and build folders.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1

.PHONY: all setup test run clean

all: test

setup:
	@./scripts/setup

test: setup
	cmake -S . -B $(BUILD_DEBUG) -G Ninja -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(BUILD_DEBUG) -j $(JOBS)
	ctest --test-dir $(BUILD_DEBUG) -j $(JOBS) --output-on-failure

# The main job needs the library, its analysis tool and the test language,
# which is compiled from text by the project's own tools (so the release
# build is configured with them, but only these targets are built).
run: setup
	cmake -S . -B $(BUILD_RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release -DKAVERO_BUILD_TESTS=ON
	cmake --build $(BUILD_RELEASE) -j $(JOBS) --target kavero kavero-analyze kavero_testdata
	@./scripts/main-job $(BUILD_RELEASE)

clean:
	rm -rf build
