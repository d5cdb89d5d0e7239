# Two commands from a fresh clone: `make run` and `make test`. Each installs what is missing
# (scripts/install-deps.sh), configures CMake with Ninja and builds.
BUILD ?= build
CLI := $(BUILD)/cli/mensuro-cli
EXAMPLE := examples/kellerby

.PHONY: all setup configure build test run bench clean

all: build

setup:
	@bash scripts/install-deps.sh

# Once configured, Ninja reruns CMake by itself when a CMakeLists.txt changes.
configure: setup
	@test -f $(BUILD)/build.ninja || cmake -S . -B $(BUILD) -G Ninja

build: configure
	@cmake --build $(BUILD)

test: build
	@ctest --test-dir $(BUILD) --output-on-failure

run: build
	@$(CLI) $(EXAMPLE)-measured.txt --published $(EXAMPLE)-published.txt

bench: build
	@bash bench/run.sh $(BUILD)

clean:
	rm -rf $(BUILD)
