# Two commands from a fresh clone: `make run` and `make test`. Each installs what is missing
# (scripts/install-deps.sh), configures CMake with Ninja and builds.
BUILD ?= build
CLI := $(BUILD)/bin/mensuro-cli
EXAMPLE := examples/seven-pillar-measured.txt
EXAMPLE_BASELINE := Example seven-pillar line 600 m

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

# The example measurements processed against a baseline of the library shipped with the program.
run: build
	@$(CLI) $(EXAMPLE) --baseline "$(EXAMPLE_BASELINE)"

bench: build
	@bash bench/run.sh $(BUILD)

clean:
	rm -rf $(BUILD)
